#include "core/paths.h"

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// An 8.3 short name such as "LAUNCH~1.TXT": where Windows keeps short names it is another name of some
// longer one (launcher_log.txt, a player's save), so writing it would change a file nobody listed.
bool IsShortNameAlias(const std::string& component) {
  const size_t dot = component.rfind('.');
  const std::string base = component.substr(0, dot);
  if (base.size() > 8 || (dot != std::string::npos && component.size() - dot - 1 > 3)) return false;
  const size_t tilde = base.find('~');
  if (tilde == std::string::npos || tilde + 1 == base.size()) return false;
  for (size_t i = tilde + 1; i < base.size(); ++i) {
    if (base[i] < '0' || base[i] > '9') return false;
  }
  return true;
}

bool IsUnsafeComponent(const std::string& component) {
  if (component == "..") return true;
  if (component.empty() || component == ".") return false;
  // Windows silently drops a trailing dot or blank, so "a." and "a " would land as "a".
  const char last = component.back();
  if (last == '.' || last == ' ') return true;
  return IsReservedDeviceName(component) || IsShortNameAlias(component);
}

}  // namespace

bool IsReservedDeviceName(const std::string& component) {
  // The device name is what stands before the first dot; trailing blanks before the dot
  // are ignored by Windows too ("nul .txt" is still NUL).
  std::string base = ToLowerAscii(component.substr(0, component.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  static const char* const kNames[] = {"con", "prn", "aux", "nul", "conin$", "conout$"};
  for (const char* name : kNames) {
    if (base == name) return true;
  }
  if (base.compare(0, 3, "com") != 0 && base.compare(0, 3, "lpt") != 0) return false;
  // Windows also takes the superscript digits 1, 2 and 3: bytes B9, B2, B3 in code page 1252, and
  // C2 B9, C2 B2, C2 B3 in UTF-8, the launcher's own code page.
  const std::string digit = base.substr(3);
  if (digit.size() == 2 && digit[0] == '\xC2') return digit == "\xC2\xB9" || digit == "\xC2\xB2" || digit == "\xC2\xB3";
  if (digit.size() != 1) return false;
  const unsigned char c = static_cast<unsigned char>(digit[0]);
  return (c >= '1' && c <= '9') || c == 0xB9 || c == 0xB2 || c == 0xB3;
}

bool IsSafeRelativePath(const std::string& path) {
  if (path.empty() || path.size() > kMaxRelativePathLength) return false;
  if (path.find(':') != std::string::npos) return false;
  if (IsSeparator(path[0])) return false;
  for (unsigned char c : path) {
    if (c < 32) return false;
  }
  size_t start = 0;
  while (true) {
    size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    if (IsUnsafeComponent(path.substr(start, end - start))) return false;
    if (end >= path.size()) break;
    start = end + 1;
  }
  return true;
}

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string DirectoryWithSlash(const std::string& path) {
  const size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ToLowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool IsLauncherFileName(const std::string& path, const std::string& runningName) {
  return ToLowerAscii(FileNameOf(path)) == runningName;
}

bool IsLauncherOwnFile(const std::string& path, const std::string& runningName) {
  // The file counts as top-level when nothing but "." and empty components stand before it ("./version.txt").
  std::string name;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    const std::string component = path.substr(start, end - start);
    if (!component.empty() && component != ".") {
      if (!name.empty()) return false;
      name = ToLowerAscii(component);
    }
    start = end + 1;
  }
  static const char* const kOwnFiles[] = {
      "launcher_log.txt",     "version.txt",          "verificacion.cache",    "verificacion.cache.tmp",
      "acceso-directo.hecho", "latest_remote.txt",    "manifest_remote.json",  "descarga_temporal.tmp",
      "patch_temp.zip",       "launcher_remote.json", "estado_temporal.json",  "firma_remota.txt",
      "qarlok.cfg",           "qarlok.cfg.tmp",       "locale.cfg",            "locale.cfg.tmp",
  };
  for (const char* own : kOwnFiles) {
    if (name == own) return true;
  }
  // The store's other temporaries, one per file downloaded at the same time: descarga_temporal0.tmp to 9.
  if (name.size() == 22 && name.compare(0, 17, "descarga_temporal") == 0 && name[17] >= '0' && name[17] <= '9' &&
      name.compare(18, 4, ".tmp") == 0) {
    return true;
  }
  return name == runningName + ".nuevo" || name == runningName + ".viejo";
}

SitePath ClassifySitePath(const std::string& path, const std::string& runningName) {
  if (!IsSafeRelativePath(path)) return SitePath::Unsafe;
  if (IsLauncherFileName(path, runningName)) return SitePath::RunningLauncher;
  if (IsLauncherOwnFile(path, runningName)) return SitePath::LauncherOwn;
  return SitePath::Writable;
}
