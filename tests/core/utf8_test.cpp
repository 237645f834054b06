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

struct DecodeCase {
  const char* name;
  std::string utf8;
  std::vector<unsigned> units;
};

TEST(Utf8ToWide, DecodesAndReplacesMalformedInput) {
  const unsigned R = 0xFFFD;
  const DecodeCase cases[] = {
      {"ascii", "abc", {'a', 'b', 'c'}},
      {"embedded NUL", std::string("a\0b", 3), {'a', 0, 'b'}},
      {"two bytes", "\xC3\xA9", {0xE9}},
      {"three bytes", "\xE2\x82\xAC", {0x20AC}},
      {"four bytes to a pair", "\xF0\x9F\x98\x80", {0xD83D, 0xDE00}},
      {"stray continuation", "\x80", {R}},
      {"overlong two bytes", "\xC0\xAF", {R, R}},
      {"overlong three bytes", "\xE0\x80\xAF", {R, R, R}},
      {"overlong four bytes", "\xF0\x80\x80\xAF", {R, R, R, R}},
      {"encoded surrogate", "\xED\xA0\x80", {R, R, R}},
      {"above U+10FFFF", "\xF4\x90\x80\x80", {R, R, R, R}},
      {"lead F5", "\xF5\x80", {R, R}},
      {"byte FF", "a\xFF" "b", {'a', R, 'b'}},
      {"cut at end, 3-byte", "\xE2\x82", {R}},
      {"cut at end, 4-byte", "\xF0\x9F\x98", {R}},
      {"cut before ASCII", "\xE2\x82" "A", {R, 'A'}},
      {"cut before a new lead", "\xC3\xC3\xA9", {R, 0xE9}},
  };
  for (const DecodeCase& c : cases) {
    EXPECT_EQ(UnitsOf(Utf8ToWide(c.utf8)), c.units) << c.name;
  }
}

struct EncodeCase {
  const char* name;
  std::wstring wide;
  std::string utf8;
};

TEST(WideToUtf8, EncodesPairsAndReplacesLoneSurrogates) {
  const std::string R = "\xEF\xBF\xBD";
  const EncodeCase cases[] = {
      {"ascii", Units({'A', 'z'}), "Az"},
      {"pair", Units({0xD83D, 0xDE00}), "\xF0\x9F\x98\x80"},
      {"lone high at end", Units({0xD83D}), R},
      {"lone low", Units({0xDE00}), R},
      {"high then ASCII", Units({0xD83D, 'A'}), R + "A"},
      {"high then U+E000", Units({0xD83D, 0xE000}), R + "\xEE\x80\x80"},
      {"pair in wrong order", Units({0xDE00, 0xD83D}), R + R},
      {"two highs then low", Units({0xD83D, 0xD83D, 0xDE00}), R + "\xF0\x9F\x98\x80"},
  };
  for (const EncodeCase& c : cases) {
    EXPECT_EQ(WideToUtf8(c.wide), c.utf8) << c.name;
  }
}

// Every scalar value survives UTF-16 -> UTF-8 -> UTF-16 and takes the right number of bytes.
TEST(Utf8RoundTrip, EveryCodePoint) {
  int failures = 0;
  for (unsigned cp = 1; cp <= 0x10FFFF && failures < 5; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    const std::wstring wide = cp < 0x10000
                                  ? Units({cp})
                                  : Units({0xD800 + ((cp - 0x10000) >> 10), 0xDC00 + ((cp - 0x10000) & 0x3FF)});
    const std::string utf8 = WideToUtf8(wide);
    const size_t expectedLength = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    if (utf8.size() != expectedLength || Utf8ToWide(utf8) != wide) {
      ADD_FAILURE() << "code point " << std::hex << cp;
      ++failures;
    }
  }
}

}  // namespace
