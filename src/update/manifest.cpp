#include "update/manifest.h"

#include "update/member_search.h"

bool IsVersionText(const std::string& text) {
  if (text.empty() || text.size() > 20) return false;
  bool groupOpen = false;  // the current group has a digit
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      groupOpen = true;
    } else if (c == '.' && groupOpen) {
      groupOpen = false;
    } else {
      return false;
    }
  }
  return groupOpen;
}

std::string ParseLatestVersion(const std::string& content) {
  std::string line = content.substr(0, content.find('\n'));
  while (!line.empty()) {
    const char last = line.back();
    if (last != '\r' && last != '\n' && last != ' ' && last != '\t') break;
    line.pop_back();
  }
  return IsVersionText(line) ? line : std::string();
}

namespace {

// The next dot-separated group of a version text from `at`, without leading zeros ("" for 0); moves `at` past it.
std::string NextGroup(const std::string& version, size_t& at) {
  if (at > version.size()) return std::string();
  size_t end = version.find('.', at);
  if (end == std::string::npos) end = version.size();
  size_t digit = at;
  while (digit < end && version[digit] == '0') ++digit;
  std::string group = version.substr(digit, end - digit);
  at = end + 1;
  return group;
}

}  // namespace

bool IsOlderVersion(const std::string& candidate, const std::string& installed) {
  if (!IsVersionText(candidate) || !IsVersionText(installed)) return false;
  size_t a = 0;
  size_t b = 0;
  while (a <= candidate.size() || b <= installed.size()) {
    const std::string left = NextGroup(candidate, a);
    const std::string right = NextGroup(installed, b);
    // Without leading zeros, a longer run of digits is the larger number.
    if (left.size() != right.size()) return left.size() < right.size();
    if (left != right) return left < right;
  }
  return false;
}

namespace {

// The member patterns; compiled once, shared read-only by every thread.
const MemberPattern& VersionPattern() {
  static const MemberPattern pattern = MakeMemberPattern(R"re("version"\s*:\s*"([^"]+)")re");
  return pattern;
}

const MemberPattern& PatchHashPattern() {
  static const MemberPattern pattern = MakeMemberPattern(R"re("patch_hash"\s*:\s*"([a-fA-F0-9]{64})")re");
  return pattern;
}

const MemberPattern& PatchSizePattern() {
  static const MemberPattern pattern = MakeMemberPattern(R"re("patch_tamano"\s*:\s*(\d+))re");
  return pattern;
}

const MemberPattern& StorePattern() {
  static const MemberPattern pattern = MakeMemberPattern(R"re("almacen"\s*:\s*true)re");
  return pattern;
}

const MemberPattern& FileEntryPattern() {
  static const MemberPattern pattern =
      MakeMemberPattern(R"re("([^"]+)"\s*:\s*\{\s*"hash"\s*:\s*"([a-fA-F0-9]{64})"\s*,\s*"tamano"\s*:\s*(\d+)\s*\})re");
  return pattern;
}

// False when the version is not a version text or a size does not fit.
bool ReadMembers(const MemberText& text, Manifest& parsed) {
  MemberMatch match;
  if (FindMember(text, VersionPattern(), 0, match)) {
    if (!IsVersionText(match.groups[1])) return false;
    parsed.version = match.groups[1];
  }
  if (FindMember(text, PatchHashPattern(), 0, match)) parsed.patchHash = match.groups[1];
  if (FindMember(text, PatchSizePattern(), 0, match) && !DigitsToInt64(match.groups[1], parsed.patchSize)) {
    return false;
  }
  parsed.store = FindMember(text, StorePattern(), 0, match);
  for (std::size_t at = 0; FindMember(text, FileEntryPattern(), at, match); at = match.resume) {
    ManifestEntry entry;
    entry.hash = match.groups[2];
    if (!DigitsToInt64(match.groups[3], entry.size)) return false;
    parsed.files[match.groups[1]] = std::move(entry);  // a later entry for the same path wins
  }
  return true;
}

}  // namespace

bool ParseManifest(const std::string& text, Manifest& manifest) {
  Manifest parsed;
  parsed.version = manifest.version;
  if (!ReadMembers(PrepareMemberText(text), parsed)) {
    parsed = Manifest();
    parsed.version = manifest.version;
  }
  manifest = std::move(parsed);
  return !manifest.files.empty();
}
