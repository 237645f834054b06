#include "settings/display_modes.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::string Text(const std::vector<DisplayMode>& modes) {
  std::ostringstream out;
  for (const DisplayMode& m : modes) out << m.width << 'x' << m.height << '@' << m.frequency << ' ';
  return out.str();
}

TEST(BuildDisplayModeList, FiltersMergesAndOrders) {
  const struct { const char* rule; std::vector<ReportedMode> reported; const char* expected; } cases[] = {
      {"highest 32-bit frequency per resolution",
       {{1920, 1080, 32, 60}, {1920, 1080, 32, 144}, {1920, 1080, 32, 75}, {1920, 1080, 16, 165}}, "1920x1080@144 "},
      {"at least 800 by 600 at 32 bits",
       {{640, 480, 32, 60}, {800, 480, 32, 60}, {799, 600, 32, 60}, {1024, 768, 16, 60}, {800, 600, 32, 56}},
       "800x600@56 "},
      {"width first, then height", {{1280, 1024, 32, 60}, {1280, 720, 32, 60}, {1024, 768, 32, 60}, {1280, 800, 32, 60}},
       "1024x768@60 1280x720@60 1280x800@60 1280x1024@60 "},
      {"a later lower frequency does not lower the entry", {{1024, 768, 32, 75}, {1024, 768, 32, 60}}, "1024x768@75 "},
      {"nothing usable: 1024 by 768 at 60", {{640, 480, 32, 60}, {1920, 1080, 8, 60}}, "1024x768@60 "},
  };
  for (const auto& c : cases) EXPECT_EQ(Text(BuildDisplayModeList(c.reported)), c.expected) << c.rule;
}

// The settings' resolution is selected, inserted in order when the adapter lacks it; the adapter's frequency stays.
TEST(SelectCurrentMode, FindsOrInsertsTheSettingsResolution) {
  const struct { int32_t width, height, frequency; int index; const char* list; } cases[] = {
      {1024, 768, 60, 1, "800x600@60 1024x768@75 1280x720@60 "},
      {1000, 700, 59, 1, "800x600@60 1000x700@59 1024x768@75 1280x720@60 "},
      {1024, 800, 60, 2, "800x600@60 1024x768@75 1024x800@60 1280x720@60 "},
      {640, 480, 60, 0, "640x480@60 800x600@60 1024x768@75 1280x720@60 "},
      {3840, 2160, 30, 3, "800x600@60 1024x768@75 1280x720@60 3840x2160@30 "},
  };
  for (const auto& c : cases) {
    std::vector<DisplayMode> modes = {{800, 600, 60}, {1024, 768, 75}, {1280, 720, 60}};
    ClientSettings settings;
    settings.width = c.width;
    settings.height = c.height;
    settings.frequency = c.frequency;
    EXPECT_EQ(SelectCurrentMode(modes, settings), c.index) << c.width << 'x' << c.height;
    EXPECT_EQ(Text(modes), c.list) << c.width << 'x' << c.height;
  }
}

}  // namespace
