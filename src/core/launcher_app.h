#pragma once
// The update engine's one state object. Its operations live in the files of the parts that own them.
#include <cstdint>
#include <string>
#include <vector>

#include "update/download_limits.h"
#include "update/launcher_info.h"
#include "update/manifest.h"
#include "update/verification_cache.h"

// Same declaration as <windows.h>, so this header stays free of it.
struct HWND__;
typedef HWND__* HWND;

// Update site used when actualizador.ini names none.
constexpr const char* kDefaultUpdateUrl = "https://actualizaciones.vandrel.net";

struct LauncherApp {
  // Sets the defaults, then reads actualizador.ini.
  explicit LauncherApp(HWND reportWindow);

  HWND reportWindow = nullptr;  // null in the headless modes: nothing is sent
  std::string updateUrl = kDefaultUpdateUrl;
  std::string localVersion = "0.0.0";
  Manifest remoteManifest;
  LauncherInfo launcherInfo;
  bool selfUpdateChecked = false;
  std::vector<std::string> pendingFiles;
  VerificationCache verificationCache;
  int64_t cacheVerifiedAt = 0;
  bool fullVerification = false;

  // actualizador.ini beside the executable: every valid url= line is applied, the last one wins.
  void LoadSettingsFile();
  // First line of version.txt; keeps the current value when the file cannot be opened.
  void LoadLocalVersion();
  // Writes version.txt; localVersion follows only when it was written. A failure is logged.
  bool SaveLocalVersion(const std::string& version);

  // One GET streamed into the destination, up to three attempts. True when a complete body of at
  // least one byte arrived with status 200. A known expectedSize sends progress to reportWindow. An
  // attempt fails beyond the limits; the destination of a false result is deleted.
  bool DownloadFile(const std::string& url, const std::string& destination, int64_t expectedSize = 0,
                    const DownloadLimits& limits = DownloadLimits());
  // latest.txt, then that version's manifest.json, into remoteManifest; true when it lists files.
  bool FetchRemoteManifest();
  bool ParseManifest(const std::string& text);
  // verificacion.cache into verificationCache and cacheVerifiedAt, and back (only manifest paths).
  void LoadVerificationCache();
  void SaveVerificationCache();
  // Checks the installation against remoteManifest: fills pendingFiles, reports to reportWindow,
  // keeps the verification cache and brings version.txt up to date when everything matches.
  void VerifyGameFiles();
};

// Creates every directory along a backslash-separated directory path; results are ignored.
void CreateDirectories(const std::string& directory);

// True when the path's file name is the running launcher's, in any letter case.
bool IsRunningLauncher(const std::string& path);
