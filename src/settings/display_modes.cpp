#include "settings/display_modes.h"

#include <algorithm>

namespace {

bool ResolutionLess(const DisplayMode& a, const DisplayMode& b) {
  return a.width != b.width ? a.width < b.width : a.height < b.height;
}

}  // namespace

std::vector<DisplayMode> BuildDisplayModeList(const std::vector<ReportedMode>& reported) {
  std::vector<DisplayMode> modes;
  for (const ReportedMode& mode : reported) {
    if (mode.bitsPerPixel != 32 || mode.width < 800 || mode.height < 600) continue;
    const auto same = std::find_if(modes.begin(), modes.end(), [&](const DisplayMode& m) {
      return m.width == mode.width && m.height == mode.height;
    });
    if (same == modes.end()) {
      modes.push_back({mode.width, mode.height, mode.frequency});
    } else if (mode.frequency > same->frequency) {
      same->frequency = mode.frequency;
    }
  }
  std::sort(modes.begin(), modes.end(), ResolutionLess);
  if (modes.empty()) modes.push_back({1024, 768, 60});
  return modes;
}

int SelectCurrentMode(std::vector<DisplayMode>& modes, const ClientSettings& settings) {
  const DisplayMode current{settings.width, settings.height, settings.frequency};
  for (size_t i = 0; i < modes.size(); ++i) {
    if (modes[i].width == current.width && modes[i].height == current.height) return static_cast<int>(i);
  }
  const auto next = std::find_if(modes.begin(), modes.end(), [&](const DisplayMode& m) { return !ResolutionLess(m, current); });
  const auto index = next - modes.begin();
  modes.insert(next, current);
  return static_cast<int>(index);
}
