// What the update site publishes: latest.txt names the version, its manifest.json lists the files.
#include <windows.h>

#include "core/console_line.h"
#include "core/launcher_app.h"
#include "core/log.h"
#include "core/text_file.h"
#include "update/manifest.h"
#include "update/verification_cache_win.h"

bool LauncherApp::FetchRemoteManifest() {
  if (!DownloadFile(updateUrl + "/latest.txt", "latest_remote.txt", 0, CappedAt(kLatestCap))) {
    PrintLine("Error al descargar latest.txt");
    return false;
  }
  std::string line;
  if (!ReadFirstLine("latest_remote.txt", line)) return false;
  DeleteFileA("latest_remote.txt");

  const std::string version = ParseLatestVersion(line);
  if (version.empty()) {
    PrintLine("La version remota no tiene un formato valido");
    Log("latest.txt trae una version rara, se descarta");
    return false;
  }
  PrintLine("Version remota: " + version);

  const std::string manifestUrl = updateUrl + "/" + version + "/manifest.json";
  if (!DownloadFile(manifestUrl, "manifest_remote.json", 0, CappedAt(kManifestCap))) {
    PrintLine("Error al descargar manifest.json");
    return false;
  }
  std::string text;
  if (!ReadTextFile("manifest_remote.json", text)) return false;
  if (!ParseManifest(text)) {
    PrintLine("Error al parsear manifest.json");
    return false;
  }
  PrintLine("Manifest cargado: " + std::to_string(remoteManifest.files.size()) + " archivos");
  return true;
}

bool LauncherApp::ParseManifest(const std::string& text) { return ::ParseManifest(text, remoteManifest); }

void LauncherApp::LoadVerificationCache() {
  if (LoadVerificationCacheFile(kVerificationCacheFile, verificationCache, cacheVerifiedAt) == CacheFileLoad::Foreign) {
    Log("Cache de verificacion de otra version: se rehace entera");
  }
}

void LauncherApp::SaveVerificationCache() {
  SaveVerificationCacheFile(kVerificationCacheFile, verificationCache, cacheVerifiedAt, remoteManifest.files);
}
