#include "ui/ui_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>

#include "core/utf8.h"

namespace {

constexpr int kEs = 0, kEn = 1, kPl = 7, kCz = 8, kHu = 9, kRo = 10, kTr = 11, kGr = 12, kRu = 13, kAe = 15;

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

TEST_F(UiTextTest, SpanishAndEnglishTexts) {
  const struct { UiTextKey key; const char* es; const char* en; } rows[] = {
      {TXT_SETTINGS, u8"Configuración", "Settings"},
      {TXT_WEBSITE, "Web", "Website"},
      {TXT_LANGUAGE, "Idioma", "Language"},
      {TXT_BTN_CHECKING, "COMPROBANDO", "CHECKING"},
      {TXT_BTN_UPDATE, "ACTUALIZAR", "UPDATE"},
      {TXT_BTN_DOWNLOADING, "DESCARGANDO", "DOWNLOADING"},
      {TXT_BTN_PLAY, "JUGAR", "PLAY"},
      {TXT_BTN_RETRY, "REINTENTAR", "RETRY"},
      {TXT_BTN_RESTARTING, "REINICIANDO", "RESTARTING"},
      {TXT_BTN_STARTING, "ABRIENDO", "STARTING"},
      {TXT_PLAY_WITHOUT_CHECKING, "Jugar sin comprobar", "Play without checking"},
      {TXT_CHECKING_LAUNCHER, "Comprobando el launcher", "Checking the launcher"},
      {TXT_CHECKING_GAME_FILES, "Comprobando los archivos del juego", "Checking the game files"},
      {TXT_DOWNLOADING_UPDATE, u8"Descargando la actualización", "Downloading the update"},
      {TXT_UPDATE_AVAILABLE, u8"Hay una actualización disponible", "An update is available"},
      {TXT_PRESS_UPDATE, "Pulsa Actualizar para descargarla", "Press Update to download it"},
      {TXT_UP_TO_DATE, u8"Todo al día", "Everything up to date"},
      {TXT_READY_TO_PLAY, "Listo para jugar", "Ready to play"},
      {TXT_UPDATE_INSTALLED, u8"Actualización instalada", "Update installed"},
      {TXT_STARTING_GAME, "Abriendo Vandrel", "Starting Vandrel"},
      {TXT_COULD_NOT_CONNECT, "No se ha podido conectar", "Could not connect"},
      {TXT_PRESS_RETRY, "Pulsa Reintentar para volver a comprobar", "Press Retry to check again"},
      {TXT_SETTINGS_SAVED, u8"Configuración guardada", "Settings saved"},
      {TXT_CLOSE_GAME_WARNING, u8"Cierra el juego o perderás estos ajustes",
       "Close the game or these settings will be lost"},
      {TXT_GAME_START_FAILED, "No se ha podido abrir el juego", "Could not start the game"},
      {TXT_WEBSITE_NOT_RESPONDING, "Web sin respuesta", "Website not responding"},
      {TXT_PLAYER_ONLINE, "jugador conectado", "player online"},
      {TXT_PLAYERS_ONLINE, "jugadores conectados", "players online"},
      {TXT_SETTINGS_TITLE, u8"CONFIGURACIÓN", "SETTINGS"},
      {TXT_SETTINGS_HINT, "se guarda en qarlok.cfg y se aplica al abrir el juego",
       "saved in qarlok.cfg, applied when the game starts"},
      {TXT_RESOLUTION, u8"Resolución", "Resolution"},
      {TXT_MODE, "Modo", "Mode"},
      {TXT_WINDOWED, "Ventana", "Windowed"},
      {TXT_FULLSCREEN, "Pantalla completa", "Fullscreen"},
      {TXT_MUSIC, u8"Música", "Music"},
      {TXT_EFFECTS_VOICES, "Efectos y voces", "Effects and voices"},
      {TXT_BRIGHTNESS, "Brillo", "Brightness"},
      {TXT_SHADOWS, "Sombras", "Shadows"},
      {TXT_DRAW_DISTANCE, "Distancia de dibujo", "Draw distance"},
      {TXT_DIST_SHORT, "Corta", "Short"},
      {TXT_DIST_MEDIUM, "Media", "Medium"},
      {TXT_DIST_LONG, "Larga", "Long"},
      {TXT_SOFTWARE_CURSOR, "Cursor por software", "Software cursor"},
      {TXT_NO, "No", "No"},
      {TXT_YES, u8"Sí", "Yes"},
      {TXT_CANCEL, "Cancelar", "Cancel"},
      {TXT_SAVE, "GUARDAR", "SAVE"},
      {TXT_LANGUAGE_HINT, "El idioma cambia al momento.", "The language changes right away."},
      {TXT_LEVEL_VERY_LOW, "Muy bajo", "Very low"},
      {TXT_LEVEL_LOW, "Bajo", "Low"},
      {TXT_LEVEL_NORMAL, "Normal", "Normal"},
      {TXT_LEVEL_HIGH, "Alto", "High"},
      {TXT_LEVEL_VERY_HIGH, "Muy alto", "Very high"},
      {TXT_SHADOW_NONE, "Sin sombras", "No shadows"},
      {TXT_SHADOW_GROUND, "Solo el suelo", "Ground only"},
      {TXT_SHADOW_GROUND_CHAR, "Suelo y personaje", "Ground and character"},
      {TXT_SHADOW_ALL, "Todas", "All"},
      {TXT_SHADOW_ALL_HQ, "Todas, alta calidad", "All, high quality"},
      {TXT_SHADOW_MAX, u8"Máximas", "Maximum"},
      {TXT_UPDATE_SERVER_UNREACHABLE, "No se ha podido conectar con el servidor de actualizaciones",
       "Could not reach the update server"},
      {TXT_CHECK_CONNECTION, u8"Comprueba tu conexión e inténtalo de nuevo", "Check your connection and try again"},
      {TXT_CHECKING_FILES, "Comprobando archivos", "Checking files"},
      {TXT_DOWNLOADING, "Descargando", "Downloading"},
      {TXT_OF, "de", "of"},
      {TXT_FILES, "archivos", "files"},
      {TXT_DOWNLOADING_PATCH, u8"Descargando la actualización", "Downloading the update"},
      {TXT_UPDATE_DONE, u8"Actualización completada. Pulsa Jugar.", "Update complete. Press Play."},
      {TXT_DOWNLOAD_ERROR, u8"Error al descargar la actualización", "Error downloading the update"},
      {TXT_CHECKING_DOWNLOAD, u8"Comprobando la actualización descargada", "Checking the downloaded update"},
      {TXT_DOWNLOAD_DAMAGED, u8"El archivo descargado está dañado", "The downloaded file is damaged"},
      {TXT_UPDATE_UNVERIFIABLE, u8"La actualización no se puede verificar", "The update cannot be verified"},
      {TXT_UPDATE_TAMPERED, u8"La actualización está alterada o incompleta", "The update is altered or incomplete"},
      {TXT_INSTALLING_UPDATE, u8"Instalando la actualización", "Installing the update"},
      {TXT_INSTALL_ERROR, u8"Error al instalar la actualización", "Error installing the update"},
      {TXT_INSTALLING_FILES, "Instalando archivos", "Installing files"},
      {TXT_DOWNLOADING_LAUNCHER, "Descargando el nuevo launcher", "Downloading the new launcher"},
      {TXT_VERSION, u8"Versión", "Version"},
  };
  ASSERT_EQ(sizeof(rows) / sizeof(rows[0]), static_cast<size_t>(kUiTextKeyCount));
  for (int i = 0; i < kUiTextKeyCount; ++i) {
    EXPECT_EQ(rows[i].key, i) << "row " << i << " of the expected list is out of order";
    EXPECT_STREQ(UiTextUtf8In(kEs, rows[i].key), rows[i].es) << "key " << i;
    EXPECT_STREQ(UiTextUtf8In(kEn, rows[i].key), rows[i].en) << "key " << i;
  }
}

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
  EXPECT_EQ(std::wstring(UiTextIn(kEs, TXT_VERSION)), std::wstring(L"Versi\u00F3n"));
  EXPECT_EQ(std::wstring(UiTextIn(kGr, TXT_BTN_PLAY)), std::wstring(L"\u03A0\u0391\u0399\u039E\u0395"));
  EXPECT_EQ(std::wstring(UiTextIn(kAe, TXT_BTN_PLAY)), std::wstring(L"\u0627\u0644\u0639\u0628"));
}

TEST_F(UiTextTest, SelectsColumnByExactCode) {
  const struct { const char* code; int column; } cases[] = {
      {"es", 0},  {"en", 1},   {"fr", 2},   {"de", 3},  {"it", 4},  {"pt", 5},    {"nl", 6},  {"pl", 7},
      {"cz", 8},  {"hu", 9},   {"ro", 10},  {"tr", 11}, {"gr", 12}, {"ru", 13},   {"dk", 14}, {"ae", 15},
      {"gb", 0},  {"ES", 0},   {"En", 0},   {"AE", 0},  {"", 0},    {nullptr, 0}, {"e", 0},   {"en ", 0},
      {" en", 0}, {"eng", 0},  {"cs", 0},   {"da", 0},  {"el", 0},  {"ar", 0},
  };
  for (const auto& c : cases) {
    currentUiLanguage = 5;  // selection must reset, not keep a previous column
    SelectUiLanguage(c.code);
    EXPECT_EQ(currentUiLanguage, c.column) << (c.code ? c.code : "(null)");
    EXPECT_EQ(UiColumnForCode(c.code), c.column) << (c.code ? c.code : "(null)");
  }
}

TEST_F(UiTextTest, KeysAndColumnsOutOfRangeGiveEmptyText) {
  EXPECT_EQ(UiTextUtf8(TXT_VERSION), u8"Versión");
  for (int key : {77, 78, 1000, INT_MAX, -1, INT_MIN}) {
    EXPECT_EQ(UiTextUtf8(key), "") << key;
    EXPECT_EQ(std::wstring(UiText(key)), L"") << key;
  }
  for (int column : {-1, 16}) {
    EXPECT_STREQ(UiTextUtf8In(column, 0), "") << column;
    EXPECT_EQ(std::wstring(UiTextIn(column, 0)), L"") << column;
  }
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
      EXPECT_EQ(utf8, UiTextUtf8In(column, key)) << Where(column, key);
      EXPECT_EQ(Utf8ToWide(utf8), wide) << Where(column, key);
      EXPECT_EQ(WideToUtf8(wide), utf8) << Where(column, key);
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
