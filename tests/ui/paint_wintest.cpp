#include "ui/paint_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

// The window's start state in English at a scale, without pictures and caches.
void Fresh(double scale) {
  uiState = UiState();
  uiScale = scale;
  currentUiLanguage = 1;
  backgroundImage.reset();
  flagSprite.reset();
  ReleasePaintCaches();
}

// One frame of uiState at uiScale, read back from the back buffer as RGB.
uint32_t PixelOfAFrame(int x, int y) {
  const int width = static_cast<int>(960 * uiScale + 0.5);
  return RenderFrame(width, static_cast<int>(540 * uiScale + 0.5))[y * width + x] & 0xFFFFFF;
}

std::unique_ptr<Gdiplus::Bitmap> Solid(int width, int height, uint32_t argb) {
  auto bitmap = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppARGB);
  Gdiplus::Graphics(bitmap.get()).Clear(Gdiplus::Color(argb));
  return bitmap;
}

// Colours the look fixes, sampled where nothing else is drawn, at two scales (x and y in design pixels); the
// expected values are the look's colours blended as it says, each channel within 8 (anti-aliasing and gradient
// steps round a little).
TEST(Paint, FixedColoursPictureAndFlag) {
  StartGdiplus();
  const struct { const char* what; void (*set)(); float x, y; uint32_t rgb; } rows[] = {
      {"border, gold at alpha 70", [] {}, 0, 300, 0x403C22},
      {"main button enabled", [] { uiState.phase = UiPhase::Ready; }, 910, 477, 0xCFB264},
      {"main button hovered", [] { uiState.phase = UiPhase::Ready, uiState.hoverId = 6; }, 910, 477, 0xD4B871},
      {"main button disabled", [] { uiState.phase = UiPhase::Downloading, uiState.hoverId = 6; }, 910, 477, 0x4B4535},
      {"panel dim over the main button", [] { uiState.phase = UiPhase::Ready, uiState.settingsOpen = true; }, 910, 477,
       0x584E30},
      {"hovered list row", [] { uiState.openList = CTRL_LANGUAGE, uiState.hoverId = 201; }, 720, 116, 0x473E1D},
      {"list row not hovered", [] { uiState.openList = CTRL_LANGUAGE, uiState.hoverId = 202; }, 720, 116, 0x060B11},
      {"a resource that is no picture leaves the plain fill",
       [] { backgroundImage = ImageFromBytes("not a JPEG at all", 17); EXPECT_FALSE(backgroundImage); }, 900, 300, 0x08111A},
      {"the picture darkened at the bottom", [] { backgroundImage = Solid(64, 36, 0xFFFF0000); }, 900, 538, 0x1A1018},
      {"composed again after a frame of another size", [] {
         backgroundImage = Solid(64, 36, 0xFFFF0000);
         const double own = uiScale;
         uiScale = 3 - own, PixelOfAFrame(0, 0), uiScale = own;
       }, 900, 162, 0xFF0000},
      {"the flag is the language's own cell of the sprite", [] {
         flagSprite = Solid(768, 32, 0xFF00FF00);
         Gdiplus::SolidBrush red{Gdiplus::Color(0xFFFF0000)};
         Gdiplus::Graphics(flagSprite.get()).FillRectangle(&red, 4 * 48, 0, 48, 32);  // cell 4 alone is red
         uiState.currentLanguage = 4;  // Español
       }, 698, 55, 0xFF0000},
      {"no sprite: the button's own fill", [] { uiState.currentLanguage = 4; }, 698, 55, 0x060D13},
  };
  for (double scale : {1.0, 2.0}) {
    for (const auto& row : rows) {
      Fresh(scale);
      row.set();
      const uint32_t rgb = PixelOfAFrame(static_cast<int>(row.x * scale), static_cast<int>(row.y * scale));
      int off = 0;
      for (int shift : {16, 8, 0}) off = std::max(off, std::abs(int(rgb >> shift & 0xFF) - int(row.rgb >> shift & 0xFF)));
      char text[48];
      std::snprintf(text, sizeof text, "pixel %06X, expected %06X", rgb, row.rgb);
      EXPECT_LE(off, 8) << row.what << " at scale " << scale << ": " << text;
    }
  }
  Fresh(1.0);
  currentUiLanguage = 0;
}

// Every text the window draws fits its box in every language, with the real font at scale 1: no label ends in an
// ellipsis and no button label runs over the button's edges (6 pixels kept clear). Each phase is laid out once,
// with both links, a five-digit player count, the panel open and the sliders at each level.
TEST(Paint, EveryTextFitsItsBoxInEveryLanguage) {
  StartGdiplus();
  Gdiplus::Bitmap bitmap(4, 4, PixelFormat32bppPARGB);
  Gdiplus::Graphics g(&bitmap);
  const TextMeasurer measure = [&g](const std::wstring& t, float px, bool bold, MeasureFormat format) {
    return MeasureText(g, t, px, bold, format);
  };
  for (int column = 0; column < kUiLanguageCount; ++column) {
    currentUiLanguage = column;
    for (int phase = 0; phase < kUiPhaseCount; ++phase) {
      UiState state;
      state.phase = static_cast<UiPhase>(phase);
      state.websiteUrl = state.discordUrl = L"https://vandrel.example";
      state.playersOnline = phase == 0 ? -1 : 12345;
      state.settingsOpen = true;
      state.editedSettings.gamma = phase % 5;
      state.editedSettings.shadowLevel = phase % 6;
      const std::vector<LayoutElement> elements = LayoutFrame(state, 1.0, measure, 0).elements;
      for (size_t i = 0; i < elements.size(); ++i) {
        const LayoutElement& e = elements[i];
        if (e.look == Look::LanguageButton) {
          EXPECT_GE(e.rect.left, 260) << kUiColumnCodes[column] << ": the top bar runs into the logo";
        }
        if (e.look != Look::Text && e.look != Look::LetterSpaced) continue;
        float width = measure(e.text, e.fontPx, e.bold, MeasureFormat::Plain);
        if (e.look == Look::LetterSpaced && !JoinsLetters(e.text)) {  // drawn character by character
          width = e.spacing * (e.text.size() - 1);
          for (wchar_t c : e.text) width += measure(std::wstring(1, c), e.fontPx, e.bold, MeasureFormat::Typographic);
        }
        const bool button = e.align == Align::Center || (i > 0 && elements[i - 1].look == Look::GoldButton);
        EXPECT_LE(width, e.rect.width - (button ? 12 : 0)) << kUiColumnCodes[column] << " \"" << WideToUtf8(e.text) << "\"";
      }
    }
  }
  currentUiLanguage = 0;
  ReleasePaintCaches();
}

}  // namespace
