// The launcher's real window, receiving what the workers send from their own threads.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "core/process_values_win.h"
#include "update/launcher_info.h"
#include "update/messages.h"
#include "ui/ui_state.h"
#include "ui/window_win.h"

namespace {

class MainWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&gdiplus_, &input, nullptr);
  }
  static void TearDownTestSuite() { Gdiplus::GdiplusShutdown(gdiplus_); }
  void SetUp() override {
    static const bool registered = RegisterMainWindowClass(GetModuleHandleW(nullptr));
    ASSERT_TRUE(registered);
    uiState = UiState();
    mainWindow = CreateMainWindow(GetModuleHandleW(nullptr));
    ASSERT_NE(mainWindow, nullptr);
    ShowWindow(mainWindow, SW_SHOWNORMAL);
  }
  void TearDown() override {
    DestroyWindow(mainWindow);
    mainWindow = nullptr;
    uiScale = 1.0;
    for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) {}  // no quit message for later tests
  }

  // Runs the body on a thread of its own while this thread handles the window's messages.
  static void FromWorker(void (*body)()) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
      body();
      done = true;
    });
    for (MSG message; !done || PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);) {
      if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message); else Sleep(5);
    }
    worker.join();
  }

  static inline ULONG_PTR gdiplus_ = 0;
};

TEST_F(MainWindow, KeepsItsOwnCopyOfWorkerTexts) {
  FromWorker([] {
    // Each text lives on this stack only while its send lasts, then is overwritten.
    char text[64];
    const auto send = [&text](UINT message, const char* utf8) {
      std::strcpy(text, utf8);
      SendMessageA(mainWindow, message, 0, reinterpret_cast<LPARAM>(text));
      std::memset(text, 'X', sizeof text - 1);
    };
    send(UM_STATUS, "Descargando \xC2\xB7 mapas/ni\xC3\xB1o.pak");
    send(UM_DETAIL, "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC 3/12");
    SendMessageA(mainWindow, UM_PROGRESS, 0, 142);
    LauncherInfo info;
    info.discord = "https://discord.example/vandrel";
    SendMessageA(mainWindow, UM_LAUNCHER_INFO, 0, reinterpret_cast<LPARAM>(&info));
    info.discord = "changed after the send";
    PostMessageA(mainWindow, UM_PLAYERS_ONLINE, static_cast<WPARAM>(-1), 0);
    PostMessageA(mainWindow, UM_PLAYERS_ONLINE, 1234, 0);
    send(UM_FAILED, "no se pudo conectar");
  });
  EXPECT_EQ(uiState.statusText, L"Descargando \u00B7 mapas/ni\u00F1o.pak");
  EXPECT_EQ(uiState.detailText, L"\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC 3/12") << "kept: already a reason";
  EXPECT_EQ(uiState.progressPercent, 142) << "progress is shown as sent";
  EXPECT_EQ(uiState.websiteUrl + L"|" + uiState.discordUrl, L"|https://discord.example/vandrel");
  EXPECT_EQ(uiState.playersOnline, 1234) << "posted figures arrive in order";
  EXPECT_EQ(static_cast<int>(uiState.phase), static_cast<int>(UiPhase::CheckFailed));
}

TEST_F(MainWindow, DpiChangeResizesAtTheSuggestedPlace) {
  RECT suggested = {100, 120, 1500, 900};
  SendMessageW(mainWindow, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  RECT now;
  GetWindowRect(mainWindow, &now);
  EXPECT_EQ(std::vector<LONG>({now.left, now.top, now.right - now.left, now.bottom - now.top}),
            std::vector<LONG>({100, 120, 1440, 810})) << "960 x 540 at scale 1.5, where Windows suggests";
  EXPECT_DOUBLE_EQ(uiScale, 1.5);
}

}  // namespace
