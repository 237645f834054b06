#include "settings/client_settings.h"

#include <gtest/gtest.h>

namespace {

// Each line is loaded into fresh defaults the way the client reads it (atoi, then corrected into range, never
// rejected); the expected text is the field as the file would hold it afterwards.
TEST(ApplySettingLines, ValuesAreCorrectedNeverRejected) {
  const struct { const char* line; const char* key; const char* expected; } cases[] = {
      {"\t width\t\t 800 \r\n", "WIDTH", "800"}, {"WIDTH=1280", "WIDTH", "1024"},  {"WIDTH", "WIDTH", "1024"},
      {"HEIGHT 600x", "HEIGHT", "600"},      {"HEIGHT abc", "HEIGHT", "0"},       {"FREQUENCY +75Hz", "FREQUENCY", "75"},
      {"WIDTH 99999999999", "WIDTH", "2147483647"}, {"WIDTH -99999999999", "WIDTH", "-2147483648"},
      {"Bpp 16", "BPP", "16"},               {"WINDOWED 2", "WINDOWED", "0"},     {"WINDOWED 01", "WINDOWED", "1"},
      {"SOFTWARE_CURSOR -1", "SOFTWARE_CURSOR", "1"}, {"VOICE_VOLUME 9", "VOICE_VOLUME", "5"},
      {"VOICE_VOLUME -1", "VOICE_VOLUME", "0"}, {"GAMMA 7", "GAMMA", "2"},      {"gamma -1", "GAMMA", "2"},
      {"GAMMA 0", "GAMMA", "0"},             {"GAMMA 4", "GAMMA", "4"},           {"SHADOW_LEVEL 6", "SHADOW_LEVEL", "5"},
      {"SHADOW_LEVEL -3", "SHADOW_LEVEL", "0"}, {"VISIBILITY 0", "VISIBILITY", "1"}, {"VISIBILITY 4", "VISIBILITY", "3"},
      {"MUSIC_VOLUME 0.500", "MUSIC_VOLUME", "0.500"}, {"MUSIC_VOLUME .25", "MUSIC_VOLUME", "0.250"},
      {"MUSIC_VOLUME 2.5", "MUSIC_VOLUME", "1.000"}, {"MUSIC_VOLUME -0.5", "MUSIC_VOLUME", "0.000"},
      {"MUSIC_VOLUME 0", "MUSIC_VOLUME", "0.000"},  {"MUSIC_VOLUME 1", "MUSIC_VOLUME", "0.158"},  // bare numbers are
      {"MUSIC_VOLUME 4", "MUSIC_VOLUME", "0.631"},  {"MUSIC_VOLUME 9", "MUSIC_VOLUME", "1.000"},  // steps, 5 = full
      {"MUSIC_VOLUME -5", "MUSIC_VOLUME", "0.010"}, {"MUSIC_VOLUME loud", "MUSIC_VOLUME", "0.000"},
  };
  for (const auto& c : cases) {
    ClientSettings settings;
    ApplySettingLines({c.line}, settings);
    EXPECT_EQ(FormatSettingValue(c.key, settings), c.expected) << c.line;
  }
  ClientSettings settings;
  ApplySettingLines({"WIDTH 800", "CAMERA_SPEED 9", "width 1280\r\n", "HEIGHT"}, settings);
  EXPECT_EQ(std::to_string(settings.width) + "x" + std::to_string(settings.height), "1280x768")
      << "the last occurrence of a key wins; a key without a value changes nothing";
}

TEST(FirstRunClientSettings, ScreensLowerThan900PixelsGet800By600) {
  const struct { int height; const char* size; } cases[] = {{864, "800x600"}, {899, "800x600"}, {900, "1024x768"}};
  for (const auto& c : cases) {
    const ClientSettings settings = FirstRunClientSettings(c.height);
    EXPECT_EQ(std::to_string(settings.width) + "x" + std::to_string(settings.height), c.size) << c.height;
  }
}

TEST(SavedSettingsText, AFileThatCannotBeReadIsNeverSavedAsNew) {
  // A folder stands for a qarlok.cfg that is there but unreadable: no system reads a folder as text.
  EXPECT_FALSE(SavedSettingsText(".", ClientSettings{}).has_value()) << "the player's other lines would be lost";
  const auto fresh = SavedSettingsText("no-such-folder/qarlok.cfg", ClientSettings{});
  ASSERT_TRUE(fresh.has_value()) << "a missing file is saved with the eleven keys";
  EXPECT_EQ(fresh->substr(0, 16), "WIDTH\t\t\t\t\t1024\r\n");
}

}  // namespace
