#include "ui/ui_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>

#include "core/utf8.h"

namespace {

// Each language code selects its own column, for the window's wide texts and the workers' UTF-8 alike.
TEST(UiText, EveryCodeSelectsItsColumn) {
  const struct { const char* code; const char* play; } rows[] = {
      {"es", "JUGAR"},  {"en", "PLAY"},  {"fr", "JOUER"},         {"de", "SPIELEN"},        {"it", "GIOCA"},
      {"pt", "JOGAR"},  {"nl", "SPELEN"}, {"pl", "GRAJ"},          {"cz", "HR\xC3\x81T"},    {"hu", "J\xC3\x81T\xC3\x89K"},
      {"ro", "JOAC\xC4\x82"}, {"tr", "OYNA"}, {"gr", "\xCE\xA0\xCE\x91\xCE\x99\xCE\x9E\xCE\x95"},
      {"ru", "\xD0\x98\xD0\x93\xD0\xA0\xD0\x90\xD0\xA2\xD0\xAC"}, {"dk", "SPIL"}, {"ae", "\xD8\xA7\xD9\x84\xD8\xB9\xD8\xA8"},
  };
  for (const auto& row : rows) {
    SelectUiLanguage(row.code);
    EXPECT_EQ(WideToUtf8(UiText(TXT_BTN_PLAY)) + "|" + UiTextUtf8(TXT_BTN_PLAY), std::string(row.play) + "|" + row.play)
        << row.code << ": the window's text | a worker's text";
  }
  // Codes are compared exactly; whatever is not a column code (ISO codes included) gives Spanish.
  for (const char* code : {"ES", "En", "", "en ", "eng", "cs", "el", "ar", static_cast<const char*>(nullptr)}) {
    currentUiLanguage = 5;  // selection must reset, not keep a previous column
    SelectUiLanguage(code);
    EXPECT_EQ(currentUiLanguage, 0) << (code ? code : "null");
  }
  for (int key : {77, INT_MAX, -1, INT_MIN}) EXPECT_EQ(UiTextUtf8(key) + WideToUtf8(UiText(key)), "") << key;
  EXPECT_EQ(std::wstring(UiTextIn(16, 0)) + UiTextIn(-1, 0), L"");
}

// Every cell in every column: the same text for the window and the workers, no replacement character, no direction
// marks (they upset the layout), no English left where a translation belongs, no row pasted over another, and the
// names "qarlok.cfg" and "Vandrel" kept.
TEST(UiText, EveryCellIsTranslatedAndWhole) {
  const std::set<int> sharedWithEnglish = {TXT_WEBSITE, TXT_MODE, TXT_NO, TXT_LEVEL_NORMAL, TXT_VERSION};
  for (int column = 0; column < kUiLanguageCount; ++column) {
    const std::string code = kUiColumnCodes[column];
    int shared = 0;
    std::set<std::string> seen;
    for (int key = 0; key < kUiTextKeyCount; ++key) {
      const std::string text = UiTextUtf8In(column, key), where = code + " key " + std::to_string(key);
      const std::wstring wide = UiTextIn(column, key);
      EXPECT_EQ(Utf8ToWide(text), wide) << where;
      for (wchar_t unit : wide) {
        const char32_t c = static_cast<char32_t>(unit) & 0xFFFF;
        EXPECT_FALSE(c == 0xFFFD || c == 0x200E || c == 0x200F || c == 0x061C || (c >= 0x202A && c <= 0x202E) ||
                     (c >= 0x2066 && c <= 0x2069) || c == 0xFEFF) << where << " has U+" << std::hex << c;
      }
      if (code != "en" && text == UiTextUtf8In(1, key)) {
        ++shared;
        EXPECT_EQ(sharedWithEnglish.count(key), 1u) << where << " is the English text";
      }
      // Key 65 repeats 13 on purpose; 27 repeats 26 where "online" does not inflect for the count.
      const bool mayRepeat = (key == TXT_DOWNLOADING_PATCH && text == UiTextUtf8In(column, TXT_DOWNLOADING_UPDATE)) ||
                             (key == TXT_PLAYERS_ONLINE && text == UiTextUtf8In(column, TXT_PLAYER_ONLINE));
      EXPECT_TRUE(seen.insert(text).second || mayRepeat) << where << " repeats \"" << text << "\"";
    }
    EXPECT_LE(shared, 3) << code;
    EXPECT_STREQ(UiTextUtf8In(column, TXT_DOWNLOADING_PATCH), UiTextUtf8In(column, TXT_DOWNLOADING_UPDATE)) << code;
    EXPECT_NE(std::string(UiTextUtf8In(column, TXT_SETTINGS_HINT)).find("qarlok.cfg"), std::string::npos) << code;
    EXPECT_EQ(std::string(UiTextUtf8In(column, TXT_STARTING_GAME)).find("Vandrel") != std::string::npos, code != "ae")
        << code << ": Vandrel is transliterated in Arabic only";
  }
}

}  // namespace
