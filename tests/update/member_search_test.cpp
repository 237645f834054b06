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

// Documents built from the tokens the patterns look for, each piece often malformed, with runs of blanks, digits
// and quoted text longer than the caps of the compact copy.
class DocumentMaker {
 public:
  explicit DocumentMaker(unsigned seed) : random_(seed) {}

  std::string Make() {
    std::string doc;
    const int pieces = Pick(1, 12);
    for (int i = 0; i < pieces; ++i) {
      switch (Pick(0, 5)) {
        case 0:
          doc += Entry();
          break;
        case 1:
          doc += Quoted(Key()) + Blanks() + ":" + Blanks() + Quoted(Value());
          break;
        case 2:
          doc += Quoted(Key()) + Blanks() + ":" + Blanks() + Number() + Blanks() + Punct();
          break;
        case 3:
          doc += Quoted(Key()) + Blanks() + ":" + Blanks() + (Pick(0, 1) ? "true" : "false");
          break;
        case 4:
          doc += Noise();
          break;
        default:
          doc += Blanks() + Punct() + Blanks();
          break;
      }
    }
    return doc;
  }

 private:
  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  bool Rarely() { return Pick(0, 9) == 0; }

  std::string Run(const char* alphabet, int length) {
    const std::string chars(alphabet);
    std::string run;
    for (int i = 0; i < length; ++i) run += chars[Pick(0, static_cast<int>(chars.size()) - 1)];
    return run;
  }
  std::string Quoted(const std::string& s) { return Rarely() ? s : "\"" + s + "\""; }
  std::string Blanks() { return Run(" \t\r\n\v\f", Pick(0, 2) == 0 ? Pick(17, 60) : Pick(0, 3)); }
  std::string Number() { return Run("0123456789", Pick(0, 2) == 0 ? Pick(60, 130) : Pick(0, 4)); }
  std::string Hex() { return Run("0123456789abcdefABCDEF", Rarely() ? Pick(62, 66) : 64); }
  std::string Punct() { return Run(":{},[]", Pick(0, 2)); }
  std::string Key() {
    static const char* const keys[] = {"version", "patch_hash", "patch_tamano", "almacen", "hash",
                                       "tamano",  "url",        "online",       "Version", ""};
    return keys[Pick(0, 9)];
  }
  std::string Value() {
    switch (Pick(0, 4)) {
      case 0:
        return Hex();
      case 1:
        return (Pick(0, 1) ? "https://" : "http://") + Text();
      case 2:
        return "";
      default:
        return Text();
    }
  }
  // Quoted text, sometimes far longer than a segment may be in the compact copy.
  std::string Text() {
    const int length = Pick(0, 3) == 0 ? Pick(250, 700) : Pick(1, 20);
    std::string text = Run("abz/._-\\ 0123456789", length);
    if (Rarely()) text += static_cast<char>(Pick(0, 255));
    return text;
  }
  std::string Noise() {
    std::string noise;
    for (int i = Pick(1, 40); i > 0; --i) noise += static_cast<char>(Pick(0, 255));
    return noise;
  }
  std::string Entry() {
    return Quoted(Text()) + Blanks() + ":" + Blanks() + (Rarely() ? "" : "{") + Blanks() + Quoted("hash") + Blanks() +
           ":" + Blanks() + Quoted(Hex()) + Blanks() + (Rarely() ? ";" : ",") + Blanks() +
           Quoted(Rarely() ? "size" : "tamano") + Blanks() + ":" + Blanks() + Number() + Blanks() +
           (Rarely() ? "" : "}") + Punct();
  }

  std::mt19937 random_;
};

TEST(MemberSearch, GivesThePlainEngineResultsOnDocumentsWithLongRuns) {
  std::vector<MemberPattern> patterns;
  for (const char* source : kPatterns) patterns.push_back(MakeMemberPattern(source));
  DocumentMaker maker(20240611);
  std::size_t matched = 0;
  for (int doc = 0; doc < 400; ++doc) {
    const std::string text = maker.Make();
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
