#include <windows.h>

#include "settings/display_modes.h"

std::vector<DisplayMode> EnumerateDisplayModes() {
  std::vector<ReportedMode> reported;
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  // A null device name means the primary display; the index runs until the adapter has no more.
  for (DWORD index = 0; EnumDisplaySettingsA(nullptr, index, &mode); ++index) {
    reported.push_back({static_cast<int32_t>(mode.dmPelsWidth), static_cast<int32_t>(mode.dmPelsHeight),
                        static_cast<int32_t>(mode.dmBitsPerPel), static_cast<int32_t>(mode.dmDisplayFrequency)});
  }
  return BuildDisplayModeList(reported);
}
