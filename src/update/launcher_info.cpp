#include "update/launcher_info.h"

#include "update/member_search.h"

namespace {

struct Patterns {
  MemberPattern version = MakeMemberPattern(R"re("version"\s*:\s*"([^"]*)")re");
  MemberPattern hash = MakeMemberPattern(R"re("hash"\s*:\s*"([a-fA-F0-9]{64})")re");
  MemberPattern size = MakeMemberPattern(R"re("tamano"\s*:\s*(\d+))re");
  MemberPattern url = MakeMemberPattern(R"re("url"\s*:\s*"(https?://[^"]+)")re");
  MemberPattern web = MakeMemberPattern(R"re("web"\s*:\s*"(https?://[^"]+)")re");
  MemberPattern discord = MakeMemberPattern(R"re("discord"\s*:\s*"(https?://[^"]+)")re");
};

// Compiled once, then only read, from whichever thread parses.
const Patterns& LauncherPatterns() {
  static const Patterns patterns;
  return patterns;
}

std::string FirstCapture(const MemberText& text, const MemberPattern& pattern) {
  MemberMatch match;
  return FindMember(text, pattern, 0, match) ? match.groups[1] : std::string();
}

}  // namespace

LauncherInfo ParseLauncherInfoText(const std::string& text, const std::string& updateUrl) {
  const Patterns& patterns = LauncherPatterns();
  const MemberText members = PrepareMemberText(text);
  LauncherInfo info;
  info.version = FirstCapture(members, patterns.version);
  info.hash = FirstCapture(members, patterns.hash);
  const std::string size = FirstCapture(members, patterns.size);
  if (size.empty() || !DigitsToInt64(size, info.size)) info.size = 0;
  info.url = FirstCapture(members, patterns.url);
  info.web = FirstCapture(members, patterns.web);
  info.discord = FirstCapture(members, patterns.discord);
  if (info.url.empty()) info.url = updateUrl + "/launcher/launcher.exe";
  return info;
}
