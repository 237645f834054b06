#include "core/module_path_win.h"

#include <windows.h>

#include "core/paths.h"

std::string ModulePath() {
  char path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  // A full buffer means the path was cut: treat it as unreadable rather than use a wrong one.
  if (length == 0 || length >= MAX_PATH) return std::string();
  return std::string(path, length);
}

std::string LauncherDirectory() { return DirectoryWithSlash(ModulePath()); }

std::string RunningLauncherName() {
  const std::string path = ModulePath();
  if (path.empty()) return "launcher.exe";
  return ToLowerAscii(path.substr(path.rfind('\\') + 1));
}
