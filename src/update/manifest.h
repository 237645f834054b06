#pragma once
// The update site's description of a client version: latest.txt names the version, manifest.json lists its files.
// Text in, values out; the downloads live with the caller.

#include <cstdint>
#include <map>
#include <string>

struct ManifestEntry {
  std::string hash;  // SHA-256 as published, 64 hexadecimal characters
  int64_t size = 0;
};

// Keyed by the path exactly as written in the manifest; std::string orders it byte by byte.
using ManifestFiles = std::map<std::string, ManifestEntry>;

struct Manifest {
  std::string version;
  std::string patchHash;  // 64 hexadecimal characters, or empty
  int64_t patchSize = 0;  // 0 when not given
  bool store = false;     // the per-file store is offered
  ManifestFiles files;
};

// A version text as the site may publish it (in latest.txt and as the manifest's "version"): 1 to 20 characters,
// groups of digits separated by single dots, no group empty ("1.2.3", "7"; never "..", ".5", "5." or "1..2").
// Anything else could reach the log and version.txt as server-made text.
bool IsVersionText(const std::string& text);

// The version named by latest.txt, from the file's content as read in text mode: the first line without its
// trailing CR, LF, blanks and tabs. Empty when that is not a version text.
std::string ParseLatestVersion(const std::string& content);

// True when both texts are version texts and `candidate` is lower than `installed`, compared group by group as
// numbers of any length ("1.10" is above "1.9"; a missing group counts as 0, so "1.2" equals "1.2.0").
bool IsOlderVersion(const std::string& candidate, const std::string& installed);

// Reads manifest.json's text into `manifest`; true when it lists at least one file. `version` keeps its value when
// the text has no "version" member. A "version" that is not a version text, or a size beyond the signed 64-bit
// range, makes the whole text unreadable: false, with files, patch hash, patch size and store flag emptied and
// `version` untouched.
bool ParseManifest(const std::string& text, Manifest& manifest);
