#include "ui/paint_win.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/process_values_win.h"
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

}  // namespace
