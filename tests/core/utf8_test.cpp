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
      {"cut before a new lead", "\xC3\xC3\xA9", {R, 0xE9}},
  };
  for (const auto& c : cases) EXPECT_EQ(UnitsOf(Utf8ToWide(c.utf8)), c.units) << c.name;
}

TEST(WideToUtf8, EncodesPairsAndReplacesLoneSurrogates) {
  const std::string R = "\xEF\xBF\xBD";
  const struct { const char* name; std::wstring wide; std::string utf8; } cases[] = {
      {"pair", Units({0xD83D, 0xDE00}), "\xF0\x9F\x98\x80"},     {"lone high at end", Units({0xD83D}), R},
      {"lone low", Units({0xDE00}), R},                          {"high then ASCII", Units({0xD83D, 'A'}), R + "A"},
      {"two highs then low", Units({0xD83D, 0xD83D, 0xDE00}), R + "\xF0\x9F\x98\x80"},
  };
  for (const auto& c : cases) EXPECT_EQ(WideToUtf8(c.wide), c.utf8) << c.name;
}

// Every scalar value survives UTF-16 -> UTF-8 -> UTF-16 and takes the right number of bytes.
TEST(Utf8RoundTrip, EveryCodePoint) {
  int failures = 0;
  for (unsigned cp = 1; cp <= 0x10FFFF && failures < 5; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    const std::wstring wide = cp < 0x10000 ? Units({cp})
                                           : Units({0xD800 + ((cp - 0x10000) >> 10), 0xDC00 + ((cp - 0x10000) & 0x3FF)});
    const std::string utf8 = WideToUtf8(wide);
    const size_t expectedLength = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    if (utf8.size() != expectedLength || Utf8ToWide(utf8) != wide) {
      ADD_FAILURE() << "code point " << std::hex << cp << " does not survive the trip through UTF-8";
      ++failures;
    }
  }
}

}  // namespace
