#pragma once
// The resolutions offered by the settings panel. Portable: the adapter is asked in display_modes_win.cpp.
#include <cstdint>
#include <vector>

#include "settings/client_settings.h"

struct DisplayMode {
  int32_t width;
  int32_t height;
  int32_t frequency;  // hertz
};

// One mode as the display adapter reports it.
struct ReportedMode {
  int32_t width;
  int32_t height;
  int32_t bitsPerPixel;
  int32_t frequency;
};

// The modes the game can use (32 bits per pixel, at least 800 by 600), one per resolution with its
// highest frequency, ascending by width and then height; {1024, 768, 60} alone when none is usable.
std::vector<DisplayMode> BuildDisplayModeList(const std::vector<ReportedMode>& reported);

// The list for the primary display (Windows build only).
std::vector<DisplayMode> EnumerateDisplayModes();

// Index of the entry with the settings' width and height. When there is none, the settings' own
// mode is inserted where the order puts it, so the player's current resolution is always offered.
int SelectCurrentMode(std::vector<DisplayMode>& modes, const ClientSettings& settings);
