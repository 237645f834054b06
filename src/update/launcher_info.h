#pragma once
// What launcher.json publishes about the newest launcher build, and the site's links.
#include <cstdint>
#include <string>

struct LauncherInfo {
  std::string version;
  std::string hash;  // 64 hexadecimal characters, or empty
  int64_t size = 0;  // "tamano"; 0 when not given
  std::string url;
  std::string web;
  std::string discord;
};

// Reads launcher.json's members; a missing or non-http(s) url becomes updateUrl + "/launcher/launcher.exe".
// A "tamano" too large for 64 bits counts as not given, so the download simply shows no progress.
LauncherInfo ParseLauncherInfoText(const std::string& text, const std::string& updateUrl);
