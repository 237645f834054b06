#include "ui/paint_win.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/process_values_win.h"
#include "core/utf8.h"
#include "ui/ui_text.h"

namespace {

// GDI+ and the font as start-up makes them, once for the test process.
void StartGdiplus() {
  static ULONG_PTR token = 0;
  if (token != 0) return;
  Gdiplus::GdiplusStartupInput input;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);
  fontFamily = std::make_unique<Gdiplus::FontFamily>(L"Segoe UI");
  if (fontFamily->GetLastStatus() != Gdiplus::Ok) fontFamily = std::make_unique<Gdiplus::FontFamily>(L"Arial");
}

// One frame of uiState at uiScale, read back from the back buffer.
struct Frame {
  int width;
  const uint32_t* pixels;
  uint32_t At(int x, int y) const { return pixels[y * width + x] & 0xFFFFFF; }
};

Frame PaintFrame() {
  const int width = static_cast<int>(960 * uiScale + 0.5), height = static_cast<int>(540 * uiScale + 0.5);
  return {width, RenderFrame(width, height)};
}

// Every case starts from the window's start state in English, without pictures and caches.
class PaintTest : public ::testing::Test {
 protected:
  void SetUp() override { StartGdiplus(), Fresh(); }
  void TearDown() override { Fresh(), currentUiLanguage = 0; }
  static void Fresh(double scale = 1.0) {
    uiState = UiState();
    uiScale = scale;
    currentUiLanguage = 1;
    backgroundImage.reset();
    flagSprite.reset();
    ReleasePaintCaches();
  }
};

std::unique_ptr<Gdiplus::Image> Solid(int width, int height, uint32_t argb) {
  auto bitmap = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppARGB);
  Gdiplus::Graphics(bitmap.get()).Clear(Gdiplus::Color(argb));
  return bitmap;
}

// Each channel within the tolerance: anti-aliasing and gradient steps round a little.
::testing::AssertionResult Near(uint32_t actual, uint32_t expected, int tolerance) {
  char text[64];
  std::snprintf(text, sizeof text, "pixel %06X, expected %06X", actual, expected);
  for (int shift : {16, 8, 0}) {
    if (std::abs(int(actual >> shift & 0xFF) - int(expected >> shift & 0xFF)) > tolerance) return ::testing::AssertionFailure() << text;
  }
  return ::testing::AssertionSuccess() << text;
}

// Colours the look fixes, sampled where nothing else is drawn, at both scales (x and y in design
// pixels); the expected values are the look's colours blended as it says.
TEST_F(PaintTest, FixedColours) {
  const struct { const char* what; void (*set)(); float x, y; uint32_t rgb; } rows[] = {
      {"plain window fill", [] {}, 480, 300, 0x08111A},
      {"border, gold at alpha 70", [] {}, 0, 300, 0x403C22},
      {"main button enabled", [] { uiState.phase = UiPhase::Ready; }, 910, 477, 0xCFB264},
      {"main button hovered", [] { uiState.phase = UiPhase::Ready, uiState.hoverId = 6; }, 910, 477, 0xD4B871},
      {"main button disabled", [] { uiState.phase = UiPhase::Downloading, uiState.hoverId = 6; }, 910, 477, 0x4B4535},
      {"panel dim over the main button", [] { uiState.phase = UiPhase::Ready, uiState.settingsOpen = true; }, 910, 477,
       0x584E30},
      {"hovered list row", [] { uiState.openList = CTRL_LANGUAGE, uiState.hoverId = 201; }, 720, 116, 0x473E1D},
      {"list row not hovered", [] { uiState.openList = CTRL_LANGUAGE, uiState.hoverId = 202; }, 720, 116, 0x060B11},
  };
  for (double scale : {1.0, 2.0}) {
    for (const auto& row : rows) {
      Fresh(scale);
      row.set();
      const int x = static_cast<int>(row.x * scale), y = static_cast<int>(row.y * scale);
      EXPECT_TRUE(Near(PaintFrame().At(x, y), row.rgb, 3)) << row.what << " at scale " << scale;
    }
  }
}

// The picture is untouched at 30 % of the height and darkened above and below; a resource that is
// no picture leaves the plain fill; a new client size composes the background again.
TEST_F(PaintTest, Background) {
  const struct { const char* what; const char* bytes; double before, scale; int x, y; uint32_t rgb; } rows[] = {
      {"not a picture", "not a JPEG at all", 0, 1.0, 900, 300, 0x08111A},
      {"picture at 30 %", nullptr, 0, 1.0, 900, 162, 0xFF0000},
      {"picture darkened at the top", nullptr, 0, 1.0, 900, 2, 0xDA0304},
      {"picture darkened at the bottom", nullptr, 0, 1.0, 900, 538, 0x1A1018},
      {"composed again for a larger window", nullptr, 1.0, 2.0, 1900, 324, 0xFF0000},
  };
  for (const auto& row : rows) {
    Fresh();
    backgroundImage = row.bytes ? ImageFromBytes(row.bytes, std::strlen(row.bytes)) : Solid(64, 36, 0xFFFF0000);
    EXPECT_EQ(backgroundImage == nullptr, row.bytes != nullptr) << row.what;
    if (row.before > 0) uiScale = row.before, PaintFrame();
    uiScale = row.scale;
    EXPECT_TRUE(Near(PaintFrame().At(row.x, row.y), row.rgb, 8)) << row.what;
  }
}

// The language button shows the language's own cell of the sprite and, with or without a sprite,
// the language code.
TEST_F(PaintTest, LanguageButtonFlagAndCode) {
  for (bool sprite : {true, false}) {
    Fresh();
    if (sprite) {
      flagSprite = Solid(768, 32, 0xFF00FF00);
      Gdiplus::SolidBrush red{Gdiplus::Color(0xFFFF0000)};
      Gdiplus::Graphics(flagSprite.get()).FillRectangle(&red, 4 * 48, 0, 48, 32);  // cell 4 alone is red
    }
    uiState.currentLanguage = 4;  // Español
    const Frame frame = PaintFrame();
    EXPECT_TRUE(Near(frame.At(698, 55), sprite ? 0xFF0000 : 0x060D13, 12)) << "flag, sprite " << sprite;
    int lit = 0;  // pixels of the code "ES" in (716, 40, 26, 30)
    for (int y = 40; y < 70; ++y) {
      for (int x = 716; x < 742; ++x) lit += (frame.At(x, y) >> 16) > 0x80;
    }
    EXPECT_GT(lit, 20) << "language code drawn, sprite " << sprite;
  }
}

// Every text of every language fits the box it is drawn in, with the real font at scale 1: no label
// ends in an ellipsis and no button label runs over the button's edges. Texts in rectangles are
// measured as they are drawn (plain format); letter-spaced labels character by character.
TEST(TextFit, EveryTextFitsItsBoxInEveryLanguage) {
  StartGdiplus();
  Gdiplus::Bitmap bitmap(4, 4, PixelFormat32bppPARGB);
  Gdiplus::Graphics g(&bitmap);
  g.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
  const struct { std::vector<int> keys; float room, px; bool bold; float spacing; } rows[] = {
      // room: the box less a margin that keeps button labels off the edges; spacing 0: a plain text
      {{TXT_BTN_CHECKING, TXT_BTN_UPDATE, TXT_BTN_DOWNLOADING, TXT_BTN_PLAY, TXT_BTN_RETRY, TXT_BTN_RESTARTING,
        TXT_BTN_STARTING}, 240 - 2 * 6, 19, true, 3},
      {{TXT_SAVE}, 124 - 2 * 6, 14, true, 3},
      {{TXT_SETTINGS_TITLE}, 190, 15, true, 2.5f},
      {{TXT_PLAY_WITHOUT_CHECKING}, 240 - 2 * 8, 13, false, 0},
      {{TXT_CANCEL}, 100 - 2 * 6, 13, false, 0},
      {{TXT_WINDOWED, TXT_FULLSCREEN, TXT_NO, TXT_YES}, 184 - 2 * 6, 13, false, 0},
      {{TXT_DIST_SHORT, TXT_DIST_MEDIUM, TXT_DIST_LONG}, 368 / 3.0f - 2 * 6, 13, false, 0},
      {{TXT_RESOLUTION, TXT_MODE, TXT_MUSIC, TXT_EFFECTS_VOICES, TXT_BRIGHTNESS, TXT_SHADOWS, TXT_DRAW_DISTANCE,
        TXT_SOFTWARE_CURSOR}, 150, 14, false, 0},
      {{TXT_LEVEL_VERY_LOW, TXT_LEVEL_LOW, TXT_LEVEL_NORMAL, TXT_LEVEL_HIGH, TXT_LEVEL_VERY_HIGH, TXT_SHADOW_NONE,
        TXT_SHADOW_GROUND, TXT_SHADOW_GROUND_CHAR, TXT_SHADOW_ALL, TXT_SHADOW_ALL_HQ, TXT_SHADOW_MAX}, 128, 12, false, 0},
      {{TXT_SETTINGS_HINT, TXT_LANGUAGE_HINT}, 288, 12, false, 0},
      {{TXT_CHECKING_LAUNCHER, TXT_CHECKING_GAME_FILES, TXT_DOWNLOADING_UPDATE, TXT_UPDATE_AVAILABLE, TXT_UP_TO_DATE,
        TXT_UPDATE_INSTALLED, TXT_STARTING_GAME, TXT_GAME_START_FAILED, TXT_UPDATE_SERVER_UNREACHABLE, TXT_UPDATE_DONE,
        TXT_DOWNLOAD_ERROR, TXT_CHECKING_DOWNLOAD, TXT_DOWNLOAD_DAMAGED, TXT_UPDATE_UNVERIFIABLE, TXT_UPDATE_TAMPERED,
        TXT_INSTALLING_UPDATE, TXT_INSTALL_ERROR, TXT_DOWNLOADING_LAUNCHER}, 612, 14, false, 0},
      {{TXT_PRESS_UPDATE, TXT_READY_TO_PLAY, TXT_PRESS_RETRY, TXT_SETTINGS_SAVED, TXT_CLOSE_GAME_WARNING,
        TXT_CHECK_CONNECTION}, 552, 12, false, 0},
      // the server status beside its dot; the count shown with a five-digit figure
      {{TXT_WEBSITE_NOT_RESPONDING, TXT_PLAYERS_ONLINE}, 260 - 17, 12, false, 0},
  };
  for (int column = 0; column < kUiLanguageCount; ++column) {
    currentUiLanguage = column;
    for (const auto& row : rows) {
      for (int key : row.keys) {
        const std::wstring text = key == TXT_PLAYERS_ONLINE ? PlayersOnlineText(12345) : UiText(key);
        float width = MeasureText(g, text, row.px, row.bold, MeasureFormat::Plain);
        if (row.spacing > 0 && !JoinsLetters(text)) {
          width = row.spacing * (text.size() - 1);
          for (wchar_t c : text) width += MeasureText(g, std::wstring(1, c), row.px, row.bold, MeasureFormat::Typographic);
        }
        EXPECT_LE(width, row.room) << kUiColumnCodes[column] << " key " << key << " \"" << WideToUtf8(text) << "\"";
      }
    }
    // The top bar with both links stays clear of the logo, whose right edge is at 250.
    UiState state;
    state.websiteUrl = state.discordUrl = L"https://vandrel.example";
    const TextMeasurer measure = [&g](const std::wstring& t, float px, bool bold, MeasureFormat format) {
      return MeasureText(g, t, px, bold, format);
    };
    for (const HitRegion& r : LayoutFrame(state, 1.0, measure, 0).hitRegions) {
      if (r.id == CTRL_LANGUAGE) {
        EXPECT_GE(r.left, 260) << kUiColumnCodes[column] << " top bar";
      }
    }
  }
  currentUiLanguage = 0;
  ReleasePaintCaches();
}

}  // namespace
