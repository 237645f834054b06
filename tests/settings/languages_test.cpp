#include "settings/languages.h"

#include <gtest/gtest.h>

namespace {

TEST(FindLanguageByCode, IgnoresLetterCase) {
  const struct { const char* code; int index; } cases[] = {
      {"cz", 0}, {"es", 4}, {"ES", 4}, {"Ru", 14}, {"ae", 15}, {"cs", -1}, {"", -1}, {"e", -1}, {"es ", -1}};
  for (const auto& c : cases) EXPECT_EQ(FindLanguageByCode(c.code), c.index) << '"' << c.code << '"';
}

// locale.cfg's first line: two numbers and a code (cut to 127 characters), or nothing.
TEST(ParseLocaleLine, NeedsTwoNumbersAndACode) {
  const std::string longCode(200, 'k');
  const struct { std::string line, parsed; } cases[] = {
      {"  7\t1251   RU  extra words", "7 1251 RU"}, {"-1 +1252 es", "-1 1252 es"}, {"10002 1252\n", "nothing"},
      {"x 1250 pl", "nothing"}, {"10022 pl 1250", "nothing"}, {"1 2 " + longCode, "1 2 " + longCode.substr(0, 127)},
  };
  for (const auto& c : cases) {
    const auto line = ParseLocaleLine(c.line);
    EXPECT_EQ(line ? std::to_string(line->firstNumber) + " " + std::to_string(line->codePage) + " " + line->code
                   : "nothing", c.parsed) << '"' << c.line << '"';
  }
}

// The line a language change writes: the client's own first number of a readable line is kept, the code page and
// code are the language's; an unreadable line starts again from 10002, an index outside the table writes nothing.
TEST(NewLocaleLine, KeepsTheClientsNumber) {
  const struct { const char* before; int index; const char* after; } cases[] = {
      {"", 2, "10002 1252 de"},  {"10022 1250 pl\r\n", 14, "10022 1251 ru"}, {"10022 1250\r\n", 15, "10002 1256 ae"},
      {"7 1256 ae\n", 0, "7 1250 cz"}, {"7 1256 ae", 12, "7 1254 tr"}, {"777 1256 ae", 16, ""}, {"7 1256 ae", -1, ""}};
  for (const auto& c : cases) EXPECT_EQ(NewLocaleLine(c.before, c.index), c.after) << '"' << c.before << "\" " << c.index;
}

}  // namespace
