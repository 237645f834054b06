// What the update site publishes: latest.txt names the version, its manifest.json lists the files.
#include <windows.h>

#include "core/console_line.h"
#include "core/launcher_app.h"
#include "core/log.h"
#include "core/unique_file.h"
#include "update/manifest.h"
#include "update/verification_cache_win.h"

namespace {

// The whole file as read in text mode (CR LF becomes LF); false when it cannot be opened.
bool ReadTextFile(const char* path, std::string& text) {
  UniqueFile file(std::fopen(path, "r"));
  if (!file) return false;
  text.clear();
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) text.append(buffer, n);
  return true;
}

// First line only (up to its line feed): latest.txt may carry anything after it.
bool ReadFirstLine(const char* path, std::string& line) {
  UniqueFile file(std::fopen(path, "r"));
  if (!file) return false;
  line.clear();
  int c;
  while ((c = std::fgetc(file.get())) != EOF && c != '\n') line += static_cast<char>(c);
  return true;
}

}  // namespace

bool LauncherApp::FetchRemoteManifest() {
  if (!DownloadFile(updateUrl + "/latest.txt", "latest_remote.txt")) {
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

  if (!DownloadFile(updateUrl + "/" + version + "/manifest.json", "manifest_remote.json")) {
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
