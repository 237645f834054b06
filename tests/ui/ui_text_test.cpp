#include "ui/ui_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>

#include "core/utf8.h"

namespace {

constexpr int kEn = 1, kPl = 7, kCz = 8, kHu = 9, kRo = 10, kTr = 11, kGr = 12, kRu = 13, kAe = 15;

// Each test starts and ends in Spanish, the state the process starts in.
class UiTextTest : public ::testing::Test {
 protected:
  void SetUp() override { currentUiLanguage = 0; }
  void TearDown() override { currentUiLanguage = 0; }
};

// Code points of a cell, read from the wide form (the table holds BMP characters only).
std::u32string CodePoints(int column, int key) {
  std::u32string out;
  for (wchar_t c : std::wstring(UiTextIn(column, key))) out.push_back(static_cast<char32_t>(c) & 0xFFFF);
  return out;
}

std::string Where(int column, int key) { return std::string(kUiColumnCodes[column]) + " key " + std::to_string(key); }

// The rows given in full for every column, read through the selected language.
TEST_F(UiTextTest, RowsFixedInEveryLanguage) {
  const struct { const char* code; const char* play; const char* of; const char* one; const char* many; } rows[] = {
      {"es", "JUGAR", "de", "jugador conectado", "jugadores conectados"},
      {"en", "PLAY", "of", "player online", "players online"},
      {"fr", "JOUER", "sur", "joueur en ligne", "joueurs en ligne"},
      {"de", "SPIELEN", "von", "Spieler online", "Spieler online"},
      {"it", "GIOCA", "di", "giocatore online", "giocatori online"},
      {"pt", "JOGAR", "de", "jogador online", "jogadores online"},
      {"nl", "SPELEN", "van", "speler online", "spelers online"},
      {"pl", "GRAJ", "z", "gracz online", "graczy online"},
      {"cz", u8"HRÁT", "z", u8"hráč online", u8"hráčů online"},
      {"hu", u8"JÁTÉK", "/", u8"játékos online", u8"játékos online"},
      {"ro", u8"JOACĂ", "din", u8"jucător online", u8"jucători online"},
      {"tr", "OYNA", "/", u8"oyuncu çevrimiçi", u8"oyuncu çevrimiçi"},
      {"gr", u8"ΠΑΙΞΕ", u8"από", u8"παίκτης συνδεδεμένος", u8"παίκτες συνδεδεμένοι"},
      {"ru", u8"ИГРАТЬ", u8"из", u8"игрок в сети", u8"игроков в сети"},
      {"dk", "SPIL", "af", "spiller online", "spillere online"},
      {"ae", u8"العب", u8"من", u8"لاعب متصل", u8"لاعبون متصلون"},
  };
  for (const auto& row : rows) {
    SelectUiLanguage(row.code);
    EXPECT_EQ(UiTextUtf8(TXT_BTN_PLAY) + "|" + UiTextUtf8(TXT_OF) + "|" + UiTextUtf8(TXT_PLAYER_ONLINE) + "|" +
                  UiTextUtf8(TXT_PLAYERS_ONLINE),
              std::string(row.play) + "|" + row.of + "|" + row.one + "|" + row.many)
        << row.code;
  }
  // The wide form by code unit, independent of the converter that builds it.
  EXPECT_EQ(std::wstring(UiTextIn(kGr, TXT_BTN_PLAY)), std::wstring(L"\u03A0\u0391\u0399\u039E\u0395"));
  EXPECT_EQ(std::wstring(UiTextIn(kAe, TXT_BTN_PLAY)), std::wstring(L"\u0627\u0644\u0639\u0628"));
}

// Codes are compared exactly; whatever is not a column code (ISO codes included) gives Spanish.
TEST_F(UiTextTest, UnknownCodesAndKeysGiveSpanishOrNothing) {
  for (const char* code : {"ES", "En", "", "e", "en ", "eng", "cs", "el", "ar", static_cast<const char*>(nullptr)}) {
    currentUiLanguage = 5;  // selection must reset, not keep a previous column
    SelectUiLanguage(code);
    EXPECT_EQ(currentUiLanguage, 0) << code;
  }
  for (int key : {77, INT_MAX, -1, INT_MIN}) {
    EXPECT_EQ(UiTextUtf8(key), "") << key;
    EXPECT_EQ(std::wstring(UiText(key)), L"") << key;
  }
  EXPECT_EQ(std::wstring(UiTextIn(16, 0)) + UiTextIn(-1, 0), L"");
  currentUiLanguage = 99;  // never written so, but a bad index must still read Spanish
  EXPECT_EQ(UiTextUtf8(TXT_SAVE), "GUARDAR");
}

// Every cell: visible text, selected through the current column, and what a worker sends as UTF-8
// comes back as the same UTF-16 text in the window; no direction marks (they upset the layout).
TEST_F(UiTextTest, EveryCellIsVisibleAndRoundTrips) {
  for (int column = 0; column < kUiLanguageCount; ++column) {
    SelectUiLanguage(kUiColumnCodes[column]);
    for (int key = 0; key < kUiTextKeyCount; ++key) {
      const std::wstring wide = UiText(key);
      const std::string utf8 = UiTextUtf8(key);
      EXPECT_EQ(wide, UiTextIn(column, key)) << Where(column, key);
      EXPECT_EQ(Utf8ToWide(utf8), wide) << Where(column, key);
      bool visible = false;
      for (char32_t c : CodePoints(column, key)) {
        visible = visible || (c != ' ' && c != '\t' && c != 0xA0 && c != 0x3000);
        EXPECT_FALSE(c == 0xFFFD || c == 0x200E || c == 0x200F || c == 0x061C || (c >= 0x202A && c <= 0x202E) ||
                     (c >= 0x2066 && c <= 0x2069) || c == 0xFEFF)
            << Where(column, key) << " has U+" << std::hex << c;
      }
      EXPECT_TRUE(visible) << Where(column, key);
    }
  }
}

// Copy-paste guards: English left in another column, or one row pasted over another.
TEST_F(UiTextTest, NoEnglishLeftAndNoRowRepeated) {
  const std::set<int> sharedWithEnglish = {TXT_WEBSITE, TXT_MODE, TXT_NO, TXT_LEVEL_NORMAL, TXT_VERSION};
  for (int column = 0; column < kUiLanguageCount; ++column) {
    int shared = 0;
    std::set<std::string> seen;
    for (int key = 0; key < kUiTextKeyCount; ++key) {
      const std::string text = UiTextUtf8In(column, key);
      if (column != kEn && text == UiTextUtf8In(kEn, key)) {
        ++shared;
        EXPECT_EQ(sharedWithEnglish.count(key), 1u) << Where(column, key) << " is the English text";
      }
      // Key 65 repeats 13 on purpose; 27 repeats 26 where "online" does not inflect for the count.
      const bool mayRepeat = (key == TXT_DOWNLOADING_PATCH && text == UiTextUtf8In(column, TXT_DOWNLOADING_UPDATE)) ||
                             (key == TXT_PLAYERS_ONLINE && text == UiTextUtf8In(column, TXT_PLAYER_ONLINE));
      EXPECT_TRUE(seen.insert(text).second || mayRepeat) << Where(column, key) << " repeats \"" << text << "\"";
    }
    EXPECT_LE(shared, 3) << kUiColumnCodes[column];
    EXPECT_STREQ(UiTextUtf8In(column, TXT_DOWNLOADING_PATCH), UiTextUtf8In(column, TXT_DOWNLOADING_UPDATE));
  }
}

bool IsLowerCaseLetter(char32_t c) {
  if (c < 0x100) return (c >= 'a' && c <= 'z') || (c >= 0xDF && c != 0xF7);
  if (c <= 0x137 || (c >= 0x149 && c <= 0x177)) return c % 2 == 1;  // Ā/ā ... ķ, ŉ Ŋ/ŋ ... ŷ
  if (c <= 0x148 || (c >= 0x179 && c <= 0x17E)) return c % 2 == 0;   // ĸ Ĺ/ĺ ... ň, Ź/ź ... ž
  return c == 0x17F || c == 0x219 || c == 0x21B || (c >= 0x3AC && c <= 0x3CE) || (c >= 0x430 && c <= 0x45F);
}

TEST_F(UiTextTest, ButtonLabelsAndTitlesInUpperCase) {
  for (int column = 0; column < kUiLanguageCount; ++column) {
    for (UiTextKey key : {TXT_BTN_CHECKING, TXT_BTN_UPDATE, TXT_BTN_DOWNLOADING, TXT_BTN_PLAY, TXT_BTN_RETRY,
                          TXT_BTN_RESTARTING, TXT_BTN_STARTING, TXT_SETTINGS_TITLE, TXT_SAVE}) {
      for (char32_t c : CodePoints(column, key)) {
        EXPECT_FALSE(IsLowerCaseLetter(c)) << Where(column, key) << ": \"" << UiTextUtf8In(column, key) << "\"";
      }
    }
  }
}

// The names stay as they are (Vandrel is transliterated in Arabic only); Greek, Russian and Arabic
// use their own script and no other Latin letters; the Latin columns keep their own letters, Romanian
// the comma forms rather than the cedilla ones.
TEST_F(UiTextTest, NamesScriptsAndLetters) {
  for (int column = 0; column < kUiLanguageCount; ++column) {
    EXPECT_NE(std::string(UiTextUtf8In(column, TXT_SETTINGS_HINT)).find("qarlok.cfg"), std::string::npos) << column;
    EXPECT_EQ(std::string(UiTextUtf8In(column, TXT_STARTING_GAME)).find("Vandrel") != std::string::npos,
              column != kAe) << kUiColumnCodes[column];
  }
  const struct { int column; char32_t first, last; } scripts[] = {{kGr, 0x370, 0x3FF}, {kRu, 0x400, 0x4FF},
                                                                   {kAe, 0x600, 0x6FF}};
  for (const auto& s : scripts) {
    for (int key = 0; key < kUiTextKeyCount; ++key) {
      int latin = 0, own = 0;
      for (char32_t c : CodePoints(s.column, key)) {
        latin += (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
        own += c >= s.first && c <= s.last;
      }
      const int names = key == TXT_SETTINGS_HINT ? 9 : (key == TXT_STARTING_GAME && s.column != kAe ? 7 : 0);
      EXPECT_EQ(latin, names) << Where(s.column, key);
      EXPECT_GT(own, 0) << Where(s.column, key);
    }
  }
  const struct { int column; std::u32string required, forbidden; } letters[] = {
      {kCz, U"ěščřžýáíéůú", U""}, {kHu, U"őáéíóöü", U"õû"}, {kPl, U"ąęłńóśźż", U""},
      {kRo, U"ăîșțÎ", U"şţŞŢ"},   {kTr, U"ıİçğşöü", U""},
  };
  for (const auto& l : letters) {
    std::u32string all;
    for (int key = 0; key < kUiTextKeyCount; ++key) all += CodePoints(l.column, key);
    for (char32_t c : l.required) EXPECT_NE(all.find(c), all.npos) << kUiColumnCodes[l.column] << std::hex << c;
    for (char32_t c : l.forbidden) EXPECT_EQ(all.find(c), all.npos) << kUiColumnCodes[l.column] << std::hex << c;
  }
}

}  // namespace
