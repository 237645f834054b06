#include "settings/client_settings.h"

#include <gtest/gtest.h>

namespace {

TEST(SplitSettingLine, KeyValueOrNothing) {
  struct Case {
    const char* line;
    const char* key;  // null: no setting on the line
    const char* value;
  };
  const Case cases[] = {
      {"", nullptr, ""},
      {" \t\r\n", nullptr, ""},
      {"\t width\t\t 800 \r\n", "width", "800"},
      {"WIDTH \t \r\n", "WIDTH", ""},
      {"NAME two  words here ", "NAME", "two  words here"},
      {"KEY=1", "KEY=1", ""},  // only blanks and tabs separate
  };
  for (const Case& c : cases) {
    const auto setting = SplitSettingLine(c.line);
    ASSERT_EQ(setting.has_value(), c.key != nullptr) << '"' << c.line << '"';
    if (setting) {
      EXPECT_EQ(setting->key + "|" + setting->value, std::string(c.key) + "|" + c.value);
    }
  }
}

// Each line is loaded into fresh defaults; the expected text is the field as the file would hold it.
TEST(ApplySettingLines, ValuesAreCorrectedNeverRejected) {
  struct Case {
    const char* line;
    const char* expected;
  };
  const Case cases[] = {
      {"width 800", "800"},           {"WIDTH -5", "-5"},               {"HEIGHT 600x", "600"},
      {"HEIGHT abc", "0"},            {"WIDTH 99999999999", "2147483647"}, {"WIDTH -99999999999", "-2147483648"},
      {"Bpp 16", "16"},               {"FREQUENCY +75Hz", "75"},        {"WIDTH", "1024"},  // no value: ignored
      {"WINDOWED 2", "0"},            {"WINDOWED 01", "1"},             {"SOFTWARE_CURSOR 2", "1"},
      {"SOFTWARE_CURSOR -1", "1"},    {"VOICE_VOLUME 9", "5"},          {"VOICE_VOLUME -1", "0"},
      {"GAMMA 7", "2"},               {"GAMMA -1", "2"},                {"gamma 0", "0"},
      {"GAMMA 4", "4"},               {"SHADOW_LEVEL 6", "5"},          {"SHADOW_LEVEL -3", "0"},
      {"VISIBILITY 0", "1"},          {"VISIBILITY 4", "3"},            {"VISIBILITY 2", "2"},
      {"MUSIC_VOLUME 0.500", "0.500"}, {"MUSIC_VOLUME .25", "0.250"},   {"MUSIC_VOLUME 2.5", "1.000"},
      {"MUSIC_VOLUME -0.5", "0.000"}, {"MUSIC_VOLUME 5", "1.000"},      {"MUSIC_VOLUME 0", "0.000"},
      {"MUSIC_VOLUME 3", "0.398"},    {"MUSIC_VOLUME 1", "0.158"},      {"MUSIC_VOLUME 4", "0.631"},
      {"MUSIC_VOLUME 10", "1.000"},   {"MUSIC_VOLUME -5", "0.010"},     {"MUSIC_VOLUME loud", "0.000"},
  };
  for (const Case& c : cases) {
    ClientSettings settings;
    ApplySettingLines({c.line}, settings);
    EXPECT_EQ(FormatSettingValue(SplitSettingLine(c.line)->key, settings), c.expected) << c.line;
  }
}

TEST(ApplySettingLines, LastOccurrenceWinsAndOtherKeysAreIgnored) {
  ClientSettings settings;
  ApplySettingLines({"WIDTH 800", "CAMERA_SPEED 9", "width 1280\r\n", "HEIGHT"}, settings);
  EXPECT_EQ(settings.width, 1280);
  EXPECT_EQ(settings.height, 768);
}

TEST(RewriteSettingLines, DefaultFileHasElevenKeysWithAlignedValues) {
  const std::vector<std::string> expected = {
      "WIDTH\t\t\t\t\t1024",  "HEIGHT\t\t\t\t\t768",      "BPP\t\t\t\t\t32",     "FREQUENCY\t\t\t\t60",
      "WINDOWED\t\t\t\t1",    "MUSIC_VOLUME\t\t\t0.300", "VOICE_VOLUME\t\t\t3", "GAMMA\t\t\t\t\t3",
      "SHADOW_LEVEL\t\t\t3",  "VISIBILITY\t\t\t\t3",     "SOFTWARE_CURSOR\t\t0",
  };
  EXPECT_EQ(RewriteSettingLines({}, ClientSettings{}), expected);
}

TEST(RewriteSettingLines, KeepsUnknownLinesAndTheFilesLetterCase) {
  ClientSettings settings;
  settings.width = 1280;
  settings.height = 720;
  const std::vector<std::string> lines = {"width 800\n", "  // the client's own comment  \r\n", "HeIgHt\t600\r\n",
                                          "CAMERA_SPEED 7\n", "\n", "   \n"};
  const std::vector<std::string> expected = {
      "width\t\t\t\t\t1280", "  // the client's own comment  ", "HeIgHt\t\t\t\t\t720", "CAMERA_SPEED 7", "", "   ",
      "BPP\t\t\t\t\t32",     "FREQUENCY\t\t\t\t60",            "WINDOWED\t\t\t\t1",  "MUSIC_VOLUME\t\t\t0.300",
      "VOICE_VOLUME\t\t\t3", "GAMMA\t\t\t\t\t3",              "SHADOW_LEVEL\t\t\t3", "VISIBILITY\t\t\t\t3",
      "SOFTWARE_CURSOR\t\t0",
  };
  EXPECT_EQ(RewriteSettingLines(lines, settings), expected);
}

TEST(RewriteSettingLines, LaterDuplicatesBecomeEmptyLinesAndBareKeysGetValues) {
  ClientSettings settings;
  settings.width = 1600;
  settings.gamma = 0;
  std::vector<std::string> result = RewriteSettingLines({"WIDTH", "Width 800", "GAMMA 4", "gamma 1", "FOO"}, settings);
  ASSERT_EQ(result.size(), 5u + 9u);
  result.resize(5);
  EXPECT_EQ(result, (std::vector<std::string>{"WIDTH\t\t\t\t\t1600", "", "GAMMA\t\t\t\t\t0", "", "FOO"}));
}

TEST(FormatSettingValue, OnlyKnownKeys) {
  EXPECT_EQ(FormatSettingValue("Software_Cursor", ClientSettings{}), "0");
  EXPECT_EQ(FormatSettingValue("CAMERA_SPEED", ClientSettings{}), "");
  EXPECT_EQ(FormatSettingValue("WIDTH2", ClientSettings{}), "");
}

TEST(FirstRunClientSettings, ScreensLowerThan900PixelsGet800By600) {
  const int heights[] = {864, 899, 900, 1080};
  const char* expected[] = {"800x600", "800x600", "1024x768", "1024x768"};
  for (int i = 0; i < 4; ++i) {
    const ClientSettings settings = FirstRunClientSettings(heights[i]);
    EXPECT_EQ(std::to_string(settings.width) + "x" + std::to_string(settings.height), expected[i]) << heights[i];
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
