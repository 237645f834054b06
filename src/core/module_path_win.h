#pragma once
// Paths derived from the running executable's own module path.
#include <string>

// The executable's full path as Windows holds it, of any length; empty when it cannot be read.
std::wstring ModulePathWide();

// The executable's directory with its trailing backslash, or empty.
std::wstring LauncherDirectoryWide();

// The executable's full path in the narrow code page (UTF-8 under the launcher's manifest), or empty
// when it cannot be read or holds a character the code page cannot.
std::string ModulePath();

// The executable's directory with its trailing backslash, or empty.
std::string LauncherDirectory();

// The running executable's file name in lower case; "launcher.exe" when the path cannot be read.
std::string RunningLauncherName();
