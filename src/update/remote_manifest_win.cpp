// What the update site publishes: latest.txt names the version, its manifest.json lists the files.
#include <windows.h>

#include "core/console_line.h"
#include "core/launcher_app.h"
#include "core/log.h"
#include "core/text_file.h"
#include "core/unique_file.h"
#include "update/manifest.h"
#include "update/signature_win.h"
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
  if (!AcceptSignedDocument(*this, manifestUrl, "manifest_remote.json", "manifest.json")) return false;
  // Read in pieces, in text mode: the document is never held whole.
  UniqueFile file(std::fopen("manifest_remote.json", "rt"));
  if (!file) return false;
  WIN32_FILE_ATTRIBUTE_DATA facts = {};
  GetFileAttributesExA("manifest_remote.json", GetFileExInfoStandard, &facts);
  Manifest parsed;
  const bool listed = ::ParseManifest(
      [&](char* buffer, std::size_t capacity) { return std::fread(buffer, 1, capacity, file.get()); },
      facts.nFileSizeLow | static_cast<std::size_t>(facts.nFileSizeHigh) << 32, parsed);
  file.reset();
  // A signed manifest is refused when it is older than the installation: an old signed release replayed by
  // the site would otherwise bring back what a later release fixed.
  if (listed && HasSigningKey()) {
    if (!IsVersionText(parsed.version)) {
      LogRefusedDocument("manifest.json", "no dice su version");
      return false;
    }
    if (IsOlderVersion(parsed.version, localVersion)) {
      LogRefusedDocument("manifest.json",
                         "es de la version " + parsed.version + ", anterior a la instalada " + localVersion);
      return false;
    }
  }
  if (parsed.version.empty()) parsed.version = remoteManifest.version;  // a manifest without one keeps the last
  remoteManifest = std::move(parsed);
  if (!listed) {
    PrintLine("Error al parsear manifest.json");
    return false;
  }
  PrintLine("Manifest cargado: " + std::to_string(remoteManifest.files.size()) + " archivos");
  return true;
}

bool LauncherApp::ParseManifest(const std::string& text) { return ::ParseManifest(text, remoteManifest); }

void LauncherApp::LoadVerificationCache() {
  if (LoadVerificationCacheFile(kVerificationCacheFile, remoteManifest.files, verificationCache, cacheVerifiedAt) ==
      CacheFileLoad::Foreign) {
    Log("Cache de verificacion de otra version: se rehace entera");
  }
}

void LauncherApp::SaveVerificationCache() {
  SaveVerificationCacheFile(kVerificationCacheFile, verificationCache, cacheVerifiedAt, remoteManifest.files);
}
