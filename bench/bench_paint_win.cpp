// Benchmark of painting the launcher window, run under Wine by scripts/bench. Prints figures only.
//   bench_paint [frames]
// For scale 1.0 and 2.0: one whole frame painted into the back buffer and copied to a real window,
// alternating the main button's hover as a mouse over it does (the repaint path of hover changes),
// beside only copying the cached background bitmap of the same size through the back buffer to the
// same window; and the time to compose the background once. Uses the launcher's pictures from this program's resources,
// or a stand-in picture of the same size when the build has none.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "core/process_values_win.h"
#include "ui/paint_win.h"
#include "ui/ui_text.h"

namespace {

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// 1920 x 1080 with some variation, so that scaling it costs what a photograph costs.
std::unique_ptr<Gdiplus::Image> StandInPicture() {
  auto bitmap = std::make_unique<Gdiplus::Bitmap>(1920, 1080, PixelFormat24bppRGB);
  Gdiplus::Graphics g(bitmap.get());
  Gdiplus::LinearGradientBrush sky(Gdiplus::Point(0, 0), Gdiplus::Point(1920, 1080), Gdiplus::Color(0xFF203050),
                                   Gdiplus::Color(0xFF805030));
  g.FillRectangle(&sky, 0, 0, 1920, 1080);
  return bitmap;
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::atoi(argv[1]) : 300;
  instanceHandle = GetModuleHandleW(nullptr);
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartupInput input;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return 1;
  LoadFontAndPictures();
  const bool standIn = !backgroundImage;
  if (standIn) backgroundImage = StandInPicture();
  std::printf("pictures: %s background, %s logo, %s flags\n", standIn ? "stand-in" : "embedded",
              logoImage ? "embedded" : "no", flagSprite ? "embedded" : "no");

  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = instanceHandle;
  windowClass.lpszClassName = L"VandrelPaintBench";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"Vandrel", WS_POPUP | WS_VISIBLE, 0, 0, 960, 540,
                                nullptr, nullptr, instanceHandle, nullptr);
  if (window == nullptr) return 1;

  SelectUiLanguage("es");
  uiState.phase = UiPhase::Ready;
  uiState.statusText = UiText(TXT_UP_TO_DATE);
  uiState.detailText = UiText(TXT_READY_TO_PLAY);
  uiState.progressPercent = 100;
  uiState.websiteUrl = L"https://vandrel.example";
  uiState.discordUrl = L"https://discord.example";
  uiState.playersOnline = 1234;
  uiState.currentLanguage = 4;
  uiState.launcherVersionText = L"2.0.0";

  for (double scale : {1.0, 2.0}) {
    uiScale = scale;
    const int width = static_cast<int>(960 * scale), height = static_cast<int>(540 * scale);
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    HDC dc = GetDC(window);

    std::vector<uint32_t> background;
    auto start = std::chrono::steady_clock::now();
    ComposeBackground(width, height, background);
    const double compose = MillisecondsSince(start);

    PaintWindow(dc, width, height);  // makes the back buffer and the background cache
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i) {
      uiState.hoverId = i % 2 == 0 ? CTRL_MAIN_BUTTON : CTRL_NONE;
      PaintWindow(dc, width, height);
    }
    GdiFlush();
    const double paint = MillisecondsSince(start) / frames;

    start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i) PaintBackgroundOnly(dc, width, height);
    GdiFlush();
    const double copy = MillisecondsSince(start) / frames;
    ReleaseDC(window, dc);
    std::printf("scale %.1f (%d x %d): whole frame %.2f ms, copying the cached background only %.2f ms "
                "(%d frames each); composing the background once %.1f ms\n",
                scale, width, height, paint, copy, frames, compose);
  }

  DestroyWindow(window);
  ShutDownGraphics(token);
  return 0;
}
