"""launcher.exe itself, as the mingw-w64 binutils read it: a static 64-bit GUI program with version 2.0.0.0."""
import re
import subprocess

from conftest import WIN_BUILD

EXE = str(WIN_BUILD / "launcher.exe")
# DLLs that every Windows installation has; anything else would have to be shipped beside the launcher.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll", "oleaut32.dll",
               "winhttp.dll", "crypt32.dll", "gdiplus.dll", "msvcrt.dll", "shlwapi.dll", "version.dll", "comctl32.dll",
               "dwmapi.dll", "uxtheme.dll", "bcrypt.dll", "ntdll.dll", "ws2_32.dll"}


def test_static_64_bit_gui_executable_with_its_version():
    headers = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", EXE], capture_output=True, text=True).stdout
    assert "file format pei-x86-64" in headers and re.search(r"^Magic\s+020b", headers, re.M), "64-bit PE32+"
    assert re.search(r"^Subsystem\s+00000002", headers, re.M), "GUI subsystem: no console window opens"
    dlls = {dll.lower() for dll in re.findall(r"DLL Name: (\S+)", headers)}
    assert dlls and dlls <= SYSTEM_DLLS, f"runtime DLLs that would need shipping: {dlls - SYSTEM_DLLS}"
    resources = subprocess.run(["x86_64-w64-mingw32-windres", "-J", "coff", "-O", "rc", "-i", EXE],
                               capture_output=True, text=True).stdout
    assert re.search(r"^ FILEVERSION 2, 0, 0, 0$", resources, re.M), "the file version the window shows"
