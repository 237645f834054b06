#include "core/paths.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

// A path column of tests/fixtures/path_rules.tsv: C escapes \\ \t \n \xNN.
std::string Unescape(const std::string& text) {
  std::string bytes;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      bytes += text[i];
    } else if (text[++i] == 'x') {
      bytes += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      bytes += text[i] == 't' ? '\t' : text[i] == 'n' ? '\n' : text[i];
    }
  }
  return bytes;
}

const char* VerdictName(SitePath verdict) {
  static const char* const kNames[] = {"ok", "unsafe", "launcher", "own"};  // in the enumeration's order
  return kNames[static_cast<int>(verdict)];
}

// The table shared with the publisher's tests; "publisher" rows are names only the publisher refuses.
TEST(ClassifySitePath, FollowsTheSharedPathRuleTable) {
  std::ifstream table(VANDREL_FIXTURES "path_rules.tsv", std::ios::binary);
  ASSERT_TRUE(table) << "tests/fixtures/path_rules.tsv";
  int rows = 0;
  for (std::string line; std::getline(table, line);) {
    if (line.empty() || line[0] == '#') continue;
    const size_t tab = line.find('\t');
    const size_t tab2 = line.find('\t', tab + 1);
    ASSERT_NE(tab2, std::string::npos) << line;
    std::string expected = line.substr(tab + 1, tab2 - tab - 1);
    if (expected == "publisher") expected = "ok";
    EXPECT_EQ(VerdictName(ClassifySitePath(Unescape(line.substr(0, tab)), "launcher.exe")), expected)
        << line.substr(0, tab) << " (" << line.substr(tab2 + 1) << ")";
    ++rows;
  }
  EXPECT_GT(rows, 50);
  // A launcher renamed by the player protects its own name, not "launcher.exe".
  EXPECT_STREQ(VerdictName(ClassifySitePath("a/VANDREL.EXE", "vandrel.exe")), "launcher");
  EXPECT_STREQ(VerdictName(ClassifySitePath("Vandrel.exe.nuevo", "vandrel.exe")), "own");
  EXPECT_STREQ(VerdictName(ClassifySitePath("launcher.exe", "vandrel.exe")), "ok");
}

}  // namespace
