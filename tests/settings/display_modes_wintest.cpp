#include <windows.h>

#include <gtest/gtest.h>

#include "settings/display_modes.h"

namespace {

// The mode the screen is in now is one the adapter reports, so when the game can use it, it is offered
// (the list's rules themselves are tested natively).
TEST(EnumerateDisplayModes, OffersTheCurrentMode) {
  DEVMODEA current{};
  current.dmSize = sizeof current;
  ASSERT_TRUE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &current));
  if (current.dmBitsPerPel != 32 || current.dmPelsWidth < 800 || current.dmPelsHeight < 600) {
    GTEST_SKIP() << "the current mode is not one the game uses";
  }
  bool found = false;
  for (const DisplayMode& mode : EnumerateDisplayModes()) {
    if (mode.width == static_cast<int32_t>(current.dmPelsWidth) && mode.height == static_cast<int32_t>(current.dmPelsHeight)) {
      found = true;
      EXPECT_GE(mode.frequency, static_cast<int32_t>(current.dmDisplayFrequency));
    }
  }
  EXPECT_TRUE(found) << "the screen's own mode " << current.dmPelsWidth << 'x' << current.dmPelsHeight
                     << " is missing from the resolution list";
}

}  // namespace
