#include "update/server_status.h"

#include "update/member_search.h"

std::string StatusAddress(const std::string& web) {
  const size_t end = web.find_last_not_of('/');
  return (end == std::string::npos ? std::string() : web.substr(0, end + 1)) + "/estado.php";
}

int32_t PlayersOnlineFromText(const std::string& text) {
  // Compiled once, then only read, from whichever status worker asks.
  static const MemberPattern online = MakeMemberPattern(R"re("online"\s*:\s*(\d+))re");
  const MemberText members = PrepareMemberText(text);
  MemberMatch match;
  int32_t players = -1;
  if (!FindMember(members, online, 0, match) || !DigitsToInt32(match.groups[1], players)) return -1;
  return players;
}
