#pragma once
// Paths derived from the running executable's own module path.
#include <string>

// The executable's full path, or empty when it cannot be read (at most MAX_PATH characters).
std::string ModulePath();

// The executable's directory with its trailing backslash, or empty.
std::string LauncherDirectory();

// The running executable's file name in lower case; "launcher.exe" when the path cannot be read.
std::string RunningLauncherName();
