#include "core/launcher_app.h"

#include <windows.h>

#include <cstdio>
#include <memory>

#include "core/log.h"
#include "core/module_path_win.h"
#include "core/paths.h"
#include "core/settings_ini.h"
#include "core/text_file.h"
#include "core/unique_file.h"

LauncherApp::LauncherApp(HWND window) : reportWindow(window) { LoadSettingsFile(); }

void LauncherApp::LoadSettingsFile() {
  const std::string path = LauncherDirectory() + "actualizador.ini";
  UniqueFile file(std::fopen(path.c_str(), "r"));
  if (!file) {
    Log("Sin actualizador.ini, uso la URL por defecto: %s", updateUrl.c_str());
    return;
  }
  std::string line;
  while (ReadLine(file.get(), line)) {
    const auto url = UpdateUrlFromIniLine(line);
    if (!url) continue;
    updateUrl = *url;
    Log("URL del servidor de actualizaciones: %s", updateUrl.c_str());
    if (!IsHttpsUrl(updateUrl)) Log("AVISO: la URL no es HTTPS. El contenido viaja sin cifrar.");
  }
}

void LauncherApp::LoadLocalVersion() {
  std::string line;
  if (ReadFirstLine("version.txt", line)) localVersion = line;
}

bool LauncherApp::SaveLocalVersion(const std::string& version) {
  std::FILE* file = std::fopen("version.txt", "w");
  bool written = file != nullptr && std::fwrite(version.data(), 1, version.size(), file) == version.size();
  // A full disk may only show when the buffered text is flushed at the close.
  if (file != nullptr && std::fclose(file) != 0) written = false;
  if (!written) {
    Log("No se pudo escribir version.txt con la version %s (error %lu)", version.c_str(), GetLastError());
    return false;
  }
  localVersion = version;
  return true;
}

void CreateDirectories(const std::string& directory) {
  for (size_t i = 1; i < directory.size(); ++i) {
    if (directory[i] == '\\') CreateDirectoryA(directory.substr(0, i).c_str(), nullptr);
  }
  CreateDirectoryA(directory.c_str(), nullptr);
}

bool IsRunningLauncher(const std::string& path) { return IsLauncherFileName(path, RunningLauncherName()); }
