#include "update/member_search.h"

#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <string>
#include <vector>

namespace {

// The member patterns of manifest.json, launcher.json and the status answer.
const char* const kPatterns[] = {
    R"re("version"\s*:\s*"([^"]+)")re",
    R"re("patch_hash"\s*:\s*"([a-fA-F0-9]{64})")re",
    R"re("patch_tamano"\s*:\s*(\d+))re",
    R"re("almacen"\s*:\s*true)re",
    R"re("([^"]+)"\s*:\s*\{\s*"hash"\s*:\s*"([a-fA-F0-9]{64})"\s*,\s*"tamano"\s*:\s*(\d+)\s*\})re",
    R"re("version"\s*:\s*"([^"]*)")re",
    R"re("hash"\s*:\s*"([a-fA-F0-9]{64})")re",
    R"re("tamano"\s*:\s*(\d+))re",
    R"re("url"\s*:\s*"(https?://[^"]+)")re",
    R"re("online"\s*:\s*(\d+))re",
};

using Matches = std::vector<std::vector<std::string>>;

Matches AllMembers(const std::string& text, const MemberPattern& pattern) {
  const MemberText members = PrepareMemberText(text);
  Matches all;
  MemberMatch match;
  for (std::size_t at = 0; FindMember(members, pattern, at, match); at = match.resume) all.push_back(match.groups);
  return all;
}

// The plain engine over the original text: the reference, usable only while runs stay short enough for its stack.
Matches AllPlain(const std::string& text, const std::regex& pattern) {
  Matches all;
  std::smatch m;
  auto from = text.cbegin();
  auto flags = std::regex_constants::match_default;
  while (std::regex_search(from, text.cend(), m, pattern, flags)) {
    std::vector<std::string> groups;
    for (std::size_t g = 0; g < m.size(); ++g) groups.push_back(m[g].matched ? m[g].str() : std::string());
    all.push_back(groups);
    from = m[0].second;
    flags = std::regex_constants::match_prev_avail;
  }
  return all;
}

// A document of the pieces the patterns look for, each often malformed, with runs of blanks, digits and quoted
// text longer than the caps of the compact copy, and pieces that follow each other with nothing between.
std::string MakeDocument(std::mt19937& random) {
  const auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  const auto rarely = [&] { return pick(0, 9) == 0; };
  const auto run = [&](const std::string& chars, int length) {
    std::string text;
    while (length-- > 0) text += chars[pick(0, static_cast<int>(chars.size()) - 1)];
    return text;
  };
  const auto quoted = [&](const std::string& s) { return rarely() ? s : "\"" + s + "\""; };
  const auto blanks = [&] { return run(" \t\r\n\v\f", pick(0, 2) == 0 ? pick(17, 60) : pick(0, 3)); };
  const auto number = [&] { return run("0123456789", pick(0, 2) == 0 ? pick(60, 130) : pick(0, 4)); };
  const auto hex = [&] { return run("0123456789abcdefABCDEF", rarely() ? pick(62, 66) : 64); };
  const auto punct = [&] { return run(":{},[]", pick(0, 2)); };
  const auto text = [&] {
    return run("abz/._-\\ 0123456789", pick(0, 3) == 0 ? pick(250, 700) : pick(1, 20)) +
           (rarely() ? std::string(1, static_cast<char>(pick(0, 255))) : "");
  };
  const auto sep = [&] { return blanks() + ":" + blanks(); };
  static const std::string every = [] {
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
    return bytes;
  }();
  static const char* const keys[] = {"version", "patch_hash", "patch_tamano", "almacen", "hash",
                                     "tamano",  "url",        "online",       "Version", ""};
  std::string doc;
  for (int piece = pick(1, 12); piece > 0; --piece) {
    const std::string key = quoted(keys[pick(0, 9)]);
    switch (pick(0, 5)) {
      case 0: {
        const std::string head = quoted(text()) + sep() + (rarely() ? "" : "{") + blanks();
        const std::string hash = quoted("hash") + sep() + quoted(hex()) + blanks() + (rarely() ? ";" : ",") + blanks();
        const std::string size = quoted(rarely() ? "size" : "tamano") + sep() + number() + blanks();
        doc += head + hash + size + (rarely() ? "" : "}") + punct();
        break;
      }
      case 1: {
        const int kind = pick(0, 4);
        doc += key + sep() + quoted(kind == 0 ? hex() : kind == 1 ? (pick(0, 1) ? "https://" : "http://") + text()
                                                        : kind == 2 ? "" : text());
        break;
      }
      case 2: doc += key + sep() + number() + blanks() + punct(); break;
      case 3: doc += key + sep() + (pick(0, 1) ? "true" : "false"); break;
      case 4: doc += run(every, pick(1, 40)); break;
      default: doc += blanks() + punct() + blanks(); break;
    }
  }
  return doc;
}

TEST(MemberSearch, GivesThePlainEngineResultsOnDocumentsWithLongRuns) {
  std::vector<MemberPattern> patterns;
  for (const char* source : kPatterns) patterns.push_back(MakeMemberPattern(source));
  std::mt19937 random(20240611);
  std::size_t matched = 0;
  for (int doc = 0; doc < 400; ++doc) {
    const std::string text = MakeDocument(random);
    for (std::size_t p = 0; p < patterns.size(); ++p) {
      const Matches expected = AllPlain(text, patterns[p].regex);
      ASSERT_EQ(AllMembers(text, patterns[p]), expected) << "pattern " << kPatterns[p] << "\ndocument:\n" << text;
      matched += expected.size();
    }
  }
  EXPECT_GT(matched, 400u);  // the documents do exercise matches, not only misses
}

TEST(MemberSearch, ShortenedDigitRunNeverPosesAsAHash) {
  const MemberPattern hash = MakeMemberPattern(kPatterns[6]);
  EXPECT_TRUE(AllMembers("\"hash\":\"" + std::string(100, '1') + "\"", hash).empty());
  EXPECT_EQ(AllMembers("\"hash\":\"" + std::string(64, '1') + "\"", hash).size(), 1u);
}

}  // namespace
