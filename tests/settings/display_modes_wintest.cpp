#include <windows.h>

#include <gtest/gtest.h>

#include "settings/display_modes.h"

namespace {

TEST(EnumerateDisplayModes, OffersTheCurrentModeInOrder) {
  const std::vector<DisplayMode> modes = EnumerateDisplayModes();
  ASSERT_FALSE(modes.empty());
  for (size_t i = 1; i < modes.size(); ++i) {
    const DisplayMode& a = modes[i - 1];
    const DisplayMode& b = modes[i];
    EXPECT_TRUE(a.width < b.width || (a.width == b.width && a.height < b.height))
        << a.width << 'x' << a.height << " before " << b.width << 'x' << b.height;
  }

  // The mode the screen is in now is one the adapter reports, so when the game can use it, it is offered.
  DEVMODEA current{};
  current.dmSize = sizeof current;
  ASSERT_TRUE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &current));
  if (current.dmBitsPerPel != 32 || current.dmPelsWidth < 800 || current.dmPelsHeight < 600) {
    GTEST_SKIP() << "the current mode is not one the game uses";
  }
  bool found = false;
  for (const DisplayMode& mode : modes) {
    if (mode.width == static_cast<int32_t>(current.dmPelsWidth) && mode.height == static_cast<int32_t>(current.dmPelsHeight)) {
      found = true;
      EXPECT_GE(mode.frequency, static_cast<int32_t>(current.dmDisplayFrequency));
    }
  }
  EXPECT_TRUE(found) << current.dmPelsWidth << 'x' << current.dmPelsHeight;
}

}  // namespace
