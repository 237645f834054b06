#include "core/single_instance_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "core/module_path_win.h"

namespace {

// A launcher window of this process stands for a launcher running from this test's folder.
TEST(FindLauncherWindow, OnlyTheWindowOfTheSameFolder) {
  const WNDCLASSW windowClass = {0, DefWindowProcW, 0, 0, GetModuleHandleW(nullptr), {}, {}, {}, {}, kLauncherWindowClass};
  RegisterClassW(&windowClass);
  const HWND window = CreateWindowW(kLauncherWindowClass, L"Vandrel", WS_POPUP, 0, 0, 10, 10, {}, {}, {}, {});
  ASSERT_NE(window, nullptr);
  std::wstring folder = LauncherDirectoryWide();
  EXPECT_EQ(FindLauncherWindow(folder), window) << "the launcher of this very folder must be found";
  CharUpperW(&folder[0]);
  EXPECT_EQ(FindLauncherWindow(folder), window) << "one folder in another letter case";
  EXPECT_EQ(FindLauncherWindow(folder + L"OTRA\\"), nullptr) << "the launcher of another folder is not this one's";
  DestroyWindow(window);
}

}  // namespace
