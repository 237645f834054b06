#pragma once
// The launcher keeps itself current: launcher.json names the newest build by its SHA-256.
#include <string>

struct LauncherApp;

// Full path of the running executable; "launcher.exe" in the current directory when unreadable.
std::string LauncherExePath();

// On the check worker: true when a new build has been downloaded beside the running one as
// ".nuevo" and verified against the published hash.
bool CheckLauncherUpdate(LauncherApp& app);

// Fills app.launcherInfo from launcher.json's text; true when it names a hash.
bool ParseLauncherInfo(LauncherApp& app, const std::string& text);

// On the window thread: sets the running executable aside as ".viejo", moves ".nuevo" into its
// place and starts it. True when the new build is in place, started or not.
bool InstalarLauncherNuevo();

// At start-up: deletes the ".viejo" left by the previous process, waiting for it to end.
void RemoveOldLauncher();
