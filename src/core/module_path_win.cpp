#include "core/module_path_win.h"

#include <windows.h>

#include "core/paths.h"

namespace {

// The longest path Windows can name at all.
constexpr size_t kLongestPath = 32768;

}  // namespace

std::wstring ModulePathWide() {
  // Folders deeper than MAX_PATH exist; a path cut at the buffer's end would name another file.
  std::wstring path(MAX_PATH + 1, L'\0');
  while (true) {
    const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) return std::wstring();
    if (length < path.size()) return path.substr(0, length);
    if (path.size() >= kLongestPath) return std::wstring();
    path.resize(path.size() * 2);
  }
}

std::wstring LauncherDirectoryWide() {
  const std::wstring path = ModulePathWide();
  const size_t slash = path.rfind(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::string ModulePath() {
  const std::wstring wide = ModulePathWide();
  if (wide.empty()) return std::string();
  // Where the manifest's UTF-8 code page is not honoured, a name the code page cannot hold would come
  // out with '?' in it: a path to nowhere, or to another file. (UTF-8 itself takes no such flag.)
  const bool utf8 = GetACP() == CP_UTF8;
  BOOL lossy = FALSE;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  const int length = static_cast<int>(wide.size());
  const int size = WideCharToMultiByte(CP_ACP, flags, wide.data(), length, nullptr, 0, nullptr, utf8 ? nullptr : &lossy);
  if (size <= 0 || lossy) return std::string();
  std::string narrow(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, flags, wide.data(), length, &narrow[0], size, nullptr, nullptr);
  return narrow;
}

std::string LauncherDirectory() { return DirectoryWithSlash(ModulePath()); }

std::string RunningLauncherName() {
  const std::string path = ModulePath();
  if (path.empty()) return "launcher.exe";
  return ToLowerAscii(path.substr(path.rfind('\\') + 1));
}
