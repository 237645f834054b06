#include "core/first_run_win.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

#include "core/log.h"
#include "core/module_path_win.h"
#include "core/unique_file.h"
#include "settings/client_settings.h"
#include "settings/languages.h"

namespace {

const char kShortcutMarker[] = "acceso-directo.hecho";

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring AnsiToWide(const std::string& text) {
  const int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (size <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], size);
  wide.resize(static_cast<size_t>(size) - 1);  // the terminator
  return wide;
}

// Saves a shell link to target at linkPath. Logs the outcome of the save; a link object that cannot
// be made is not reported.
void SaveShortcut(const std::string& linkPath, const std::string& target, const std::string& workingDirectory) {
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link)))) {
    return;
  }
  link->SetPath(target.c_str());
  link->SetWorkingDirectory(workingDirectory.c_str());
  link->SetDescription("Vandrel - Qarlok");
  link->SetIconLocation(target.c_str(), 0);

  bool saved = false;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    saved = SUCCEEDED(file->Save(AnsiToWide(linkPath).c_str(), TRUE));
    file->Release();
  }
  Log(saved ? "Acceso directo creado en el escritorio" : "No se pudo guardar el acceso directo del escritorio");
  link->Release();
}

void CreateDesktopShortcut() {
  char desktop[MAX_PATH + 1] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop))) return;
  const std::string linkPath = std::string(desktop) + "\\Vandrel.lnk";
  // Whatever is there is the player's: never replaced.
  if (Exists(linkPath)) return;

  const std::string target = ModulePath();
  // An unreadable own path would give a link to nothing.
  if (target.empty()) return;
  std::string workingDirectory = LauncherDirectory();
  if (!workingDirectory.empty()) workingDirectory.pop_back();  // the folder without its trailing backslash

  // Saving a link may start a helper process (Wine starts one), and a new process inherits the current
  // directory: one deeper than MAX_PATH makes Wine overrun a MAX_PATH buffer, which brings the launcher
  // down moments later. Start-up is alone at this point, so the desktop lends its short path meanwhile.
  const std::wstring own = LauncherDirectoryWide();
  const bool lent = own.size() >= MAX_PATH - 1 && SetCurrentDirectoryA(desktop);
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  SaveShortcut(linkPath, target, workingDirectory);
  if (SUCCEEDED(com)) CoUninitialize();
  if (lent && !SetCurrentDirectoryW(own.c_str())) {
    // Every later file name is relative to the launcher's folder: nothing may land on the desktop.
    Log("No se pudo volver a la carpeta del launcher (error %lu); se cierra", GetLastError());
    ExitProcess(1);
  }
}

}  // namespace

// The launcher's folder is the current directory. Relative names also reach a folder deeper than the
// narrow calls take as a full path.
void EnsureLocaleFile() {
  const std::string path = "locale.cfg";
  if (Exists(path)) return;
  if (WriteLocaleFile(path, FindLanguageByCode("es"))) {
    Log("locale.cfg no existia: creado en espanol");
  } else {
    Log("locale.cfg no existia y no se ha podido crear (error %lu)", GetLastError());
  }
}

void EnsureClientSettingsFile() {
  const std::string path = "qarlok.cfg";
  if (Exists(path)) return;
  const ClientSettings settings = FirstRunClientSettings(GetSystemMetrics(SM_CYSCREEN));
  if (SaveClientSettings(path, settings)) {
    Log("qarlok.cfg no existia: creado (%dx%d en ventana, musica %.0f%%, voces %d/5)", static_cast<int>(settings.width),
        static_cast<int>(settings.height), static_cast<double>(settings.musicVolume) * 100.0,
        static_cast<int>(settings.voiceVolume));
  } else {
    Log("qarlok.cfg no existia y NO se ha podido crear (error %lu)", GetLastError());
  }
}

void EnsureDesktopShortcut() {
  if (Exists(kShortcutMarker)) return;  // attempted once already
  CreateDesktopShortcut();
  // Written whatever happened above: the shortcut is tried once per installation. When the marker
  // cannot be written the whole task simply runs again at the next start.
  UniqueFile marker(std::fopen(kShortcutMarker, "w"));
  if (!marker) return;
  std::fputs("El acceso directo del escritorio ya se intento una vez.\n", marker.get());
  std::fputs("Borra este fichero si quieres que el launcher vuelva a crearlo.\n", marker.get());
}
