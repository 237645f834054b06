#include "core/utf8.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

// Wide text from UTF-16 code units, the same on 16- and 32-bit wchar_t.
std::wstring Units(std::initializer_list<unsigned> units) {
  std::wstring out;
  for (unsigned u : units) out.push_back(static_cast<wchar_t>(u));
  return out;
}

std::vector<unsigned> UnitsOf(const std::wstring& wide) {
  std::vector<unsigned> out;
  for (wchar_t c : wide) out.push_back(static_cast<unsigned>(c) & 0xFFFFu);
  return out;
}

// What workers send reaches the window as the same text; bad bytes become one U+FFFD per broken sequence.
TEST(Utf8ToWide, DecodesAndReplacesMalformedInput) {
  const unsigned R = 0xFFFD;
  const struct { const char* name; std::string utf8; std::vector<unsigned> units; } cases[] = {
      {"embedded NUL", std::string("a\0b", 3), {'a', 0, 'b'}},    {"two bytes", "\xC3\xA9", {0xE9}},
      {"three bytes", "\xE2\x82\xAC", {0x20AC}},                  {"four bytes to a pair", "\xF0\x9F\x98\x80", {0xD83D, 0xDE00}},
      {"stray continuation", "\x80", {R}},                        {"overlong", "\xC0\xAF", {R, R}},
      {"encoded surrogate", "\xED\xA0\x80", {R, R, R}},           {"above U+10FFFF", "\xF4\x90\x80\x80", {R, R, R, R}},
      {"cut at end", "\xF0\x9F\x98", {R}},                        {"cut before ASCII", "\xE2\x82" "A", {R, 'A'}},
      {"cut before a new lead", "\xC3\xC3\xA9", {R, 0xE9}},    {"U+07FF", "\xDF\xBF", {0x7FF}},
      {"U+0800", "\xE0\xA0\x80", {0x800}},                       {"U+10FFFF", "\xF4\x8F\xBF\xBF", {0xDBFF, 0xDFFF}},
  };
  for (const auto& c : cases) EXPECT_EQ(UnitsOf(Utf8ToWide(c.utf8)), c.units) << c.name;
}

TEST(WideToUtf8, EncodesPairsAndReplacesLoneSurrogates) {
  const std::string R = "\xEF\xBF\xBD";
  const struct { const char* name; std::wstring wide; std::string utf8; } cases[] = {
      {"pair", Units({0xD83D, 0xDE00}), "\xF0\x9F\x98\x80"},     {"lone high at end", Units({0xD83D}), R},
      {"lone low", Units({0xDE00}), R},                          {"high then ASCII", Units({0xD83D, 'A'}), R + "A"},
      {"two highs then low", Units({0xD83D, 0xD83D, 0xDE00}), R + "\xF0\x9F\x98\x80"},
      {"U+007F", Units({0x7F}), "\x7F"}, {"U+0080", Units({0x80}), "\xC2\x80"}, {"U+07FF", Units({0x7FF}), "\xDF\xBF"},
      {"U+0800", Units({0x800}), "\xE0\xA0\x80"}, {"U+FFFF", Units({0xFFFF}), "\xEF\xBF\xBF"},
      {"U+10000", Units({0xD800, 0xDC00}), "\xF0\x90\x80\x80"}, {"U+10FFFF", Units({0xDBFF, 0xDFFF}), "\xF4\x8F\xBF\xBF"},
  };
  for (const auto& c : cases) EXPECT_EQ(WideToUtf8(c.wide), c.utf8) << c.name;
}

}  // namespace
