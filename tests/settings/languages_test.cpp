#include "settings/languages.h"

#include <gtest/gtest.h>

namespace {

TEST(FindLanguageByCode, IgnoresLetterCase) {
  struct Case {
    const char* code;
    int index;
  };
  const Case cases[] = {{"cz", 0}, {"es", 4}, {"ES", 4}, {"Ru", 14}, {"ae", 15}, {"GR", 13},
                        {"cs", -1}, {"", -1}, {"e", -1}, {"ess", -1}, {"es ", -1}};
  for (const Case& c : cases) EXPECT_EQ(FindLanguageByCode(c.code), c.index) << '"' << c.code << '"';
}

TEST(ParseLocaleLine, NeedsTwoNumbersAndACode) {
  struct Case {
    std::string line;
    bool readable;
    int32_t firstNumber;
    int32_t codePage;
    std::string code;
  };
  const std::string longCode(200, 'k');
  const Case cases[] = {
      {"10022 1250 pl\n", true, 10022, 1250, "pl"},
      {"  7\t1251   RU  extra words", true, 7, 1251, "RU"},
      {"-1 +1252 es", true, -1, 1252, "es"},
      {"10002 1252\n", false, 0, 0, ""},
      {"10002\n", false, 0, 0, ""},
      {"", false, 0, 0, ""},
      {"x 1250 pl", false, 0, 0, ""},
      {"10022 pl 1250", false, 0, 0, ""},
      {"1 2 " + longCode, true, 1, 2, longCode.substr(0, 127)},
  };
  for (const Case& c : cases) {
    const auto parsed = ParseLocaleLine(c.line);
    ASSERT_EQ(parsed.has_value(), c.readable) << '"' << c.line << '"';
    if (!parsed) continue;
    EXPECT_EQ(parsed->firstNumber, c.firstNumber) << c.line;
    EXPECT_EQ(parsed->codePage, c.codePage) << c.line;
    EXPECT_EQ(parsed->code, c.code) << c.line;
  }
}

TEST(NewLocaleLine, KeepsTheClientsNumberAndFollowsTheLanguage) {
  struct Case {
    const char* existing;
    int index;
    const char* expected;
  };
  const Case cases[] = {
      {"", 2, "10002 1252 de"},
      {"10022 1250 pl\n", 14, "10022 1251 ru"},
      {"10022 1250\n", 2, "10002 1252 de"},  // unreadable: the client's number is not taken from it
      {"7 1256 ae", 0, "7 1250 cz"},
      {"7 1256 ae", 12, "7 1254 tr"},
      {"7 1256 ae", 15, "7 1256 ae"},
      {"7 1256 ae", 16, ""},
      {"7 1256 ae", -1, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(NewLocaleLine(c.existing, c.index), c.expected) << c.existing << " / " << c.index;
}

}  // namespace
