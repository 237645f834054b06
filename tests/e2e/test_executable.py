"""launcher.exe itself: a static 64-bit GUI executable whose version resource reads 2.0.0.0."""
import struct

from conftest import WIN_BUILD

# DLLs that every Windows installation has; anything else would have to be shipped beside the launcher.
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll", "oleaut32.dll",
    "winhttp.dll", "crypt32.dll", "gdiplus.dll", "msvcrt.dll", "shlwapi.dll", "version.dll", "comctl32.dll",
    "dwmapi.dll", "uxtheme.dll", "bcrypt.dll", "ntdll.dll", "ws2_32.dll",
}


def read_pe(path):
    data = path.read_bytes()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    assert data[pe:pe + 4] == b"PE\0\0"
    machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    subsystem = struct.unpack_from("<H", data, optional + 68)[0]
    import_rva = struct.unpack_from("<I", data, optional + 112 + 8)[0]
    table = pe + 24 + optional_size
    section_list = [struct.unpack_from("<8sIIII", data, table + 40 * i) for i in range(sections)]

    def offset(rva):
        for _, vsize, vaddr, rawsize, rawptr in section_list:
            if vaddr <= rva < vaddr + max(vsize, rawsize):
                return rawptr + rva - vaddr
        raise ValueError(rva)

    dlls = []
    entry = offset(import_rva)
    while True:
        name_rva = struct.unpack_from("<I", data, entry + 12)[0]
        if name_rva == 0:
            break
        start = offset(name_rva)
        dlls.append(data[start:data.index(b"\0", start)].decode().lower())
        entry += 20
    return data, machine, magic, subsystem, dlls


def test_static_64_bit_gui_executable():
    _, machine, magic, subsystem, dlls = read_pe(WIN_BUILD / "launcher.exe")
    assert machine == 0x8664
    assert magic == 0x20B, "PE32+"
    assert subsystem == 2, "GUI subsystem, no console window"
    assert dlls, "imports were read"
    assert set(dlls) <= SYSTEM_DLLS, f"runtime DLLs that would need shipping: {set(dlls) - SYSTEM_DLLS}"


def test_version_resource_reads_2_0_0_0():
    data, *_ = read_pe(WIN_BUILD / "launcher.exe")
    fixed = data.index(struct.pack("<I", 0xFEEF04BD))
    ms, ls = struct.unpack_from("<II", data, fixed + 8)
    assert (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF) == (2, 0, 0, 0)
