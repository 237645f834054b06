#pragma once
// Path rules for files that come from the update site. Portable: no Windows calls.
#include <string>

// Length of the longest relative path accepted from the server, in bytes.
constexpr size_t kMaxRelativePathLength = 240;

// True when a server-given relative path may be written under the installation directory.
bool IsSafeRelativePath(const std::string& path);

// True when the component names a DOS device (CON, NUL, COM1, ...) in any case, with or
// without an extension: Windows opens the device instead of a file of that name.
bool IsReservedDeviceName(const std::string& component);

// The text after the last "/" or "\", or the whole path when it has neither.
std::string FileNameOf(const std::string& path);

// The text up to and including the last backslash; empty when there is none.
std::string DirectoryWithSlash(const std::string& path);

std::string ToLowerAscii(std::string text);

// True when the file name of the path equals runningName (already lower case), ignoring ASCII case.
bool IsLauncherFileName(const std::string& path, const std::string& runningName);

// True when the path names, at the top of the installation folder and in any letter case, a file that the
// launcher itself keeps there: its log, version.txt, the verification cache, its fixed download and
// temporary names, the player's qarlok.cfg and locale.cfg, and runningName + ".nuevo" / ".viejo".
bool IsLauncherOwnFile(const std::string& path, const std::string& runningName);

// What the launcher does with a relative path named by the update site (a manifest path, a zip entry).
enum class SitePath {
  Writable,         // a game file
  Unsafe,           // fails IsSafeRelativePath: could leave the folder or land under another name
  RunningLauncher,  // the running launcher's file name, in any folder
  LauncherOwn,      // one of the launcher's own files (IsLauncherOwnFile)
};
SitePath ClassifySitePath(const std::string& path, const std::string& runningName);
