#include "ui/settings_panel.h"

#include <gtest/gtest.h>

#include "ui/input.h"
#include "ui/ui_text.h"

namespace {

const std::vector<DisplayMode> kAdapter = {{800, 600, 60}, {1024, 768, 75}, {1920, 1080, 144}};

ClientSettings FromFile(const std::vector<std::string>& lines) {
  ClientSettings settings;  // what the panel starts from before the file is read
  ApplySettingLines(lines, settings);
  return settings;
}

TEST(SettingsPanel, OpensOnTheFileOrTheDefaults) {
  struct Row {
    std::vector<std::string> file;
    int32_t selected;
    int32_t width, height, gamma;
    size_t modes;
  };
  const Row rows[] = {
      {{}, 1, 1024, 768, 3, 3},
      {{"WIDTH 1000", "HEIGHT 700", "GAMMA 7", "FOO bar"}, 1, 1000, 700, 2, 4},  // inserted in order
      {{"WIDTH 1920", "HEIGHT 1080"}, 2, 1920, 1080, 3, 3},
  };
  for (const Row& row : rows) {
    UiState s;
    s.openList = CTRL_LANGUAGE;
    s.hoverId = CTRL_SETTINGS;
    s.listScroll = 5;
    OpenPanel(s, FromFile(row.file), kAdapter);
    EXPECT_TRUE(s.settingsOpen && s.openList == CTRL_NONE && s.hoverId == CTRL_NONE && s.listScroll == 0);
    EXPECT_EQ(s.selectedMode, row.selected) << row.width;
    ASSERT_EQ(s.displayModes.size(), row.modes) << row.width;
    const DisplayMode& shown = s.displayModes[s.selectedMode];
    EXPECT_EQ(std::to_string(shown.width) + "x" + std::to_string(shown.height),
              std::to_string(row.width) + "x" + std::to_string(row.height));
    EXPECT_EQ(s.editedSettings.gamma, row.gamma);
  }
}

TEST(SettingsPanel, CancelDiscardsTheEdits) {
  UiState s;
  const ClientSettings file = FromFile({"WINDOWED 1", "VISIBILITY 2"});
  OpenPanel(s, file, kAdapter);
  DispatchClick(s, CTRL_FULLSCREEN);
  DispatchClick(s, CTRL_DISTANCE_LONG);
  DispatchClick(s, CTRL_CANCEL);
  EXPECT_FALSE(s.settingsOpen);
  OpenPanel(s, file, kAdapter);
  EXPECT_TRUE(s.editedSettings.windowed);
  EXPECT_EQ(s.editedSettings.visibility, 2);
}

// The second status line after a save, by phase, outcome and a running game.
TEST(SettingsPanel, SecondLineAfterSave) {
  const std::wstring saved = UiTextIn(0, TXT_SETTINGS_SAVED), warning = UiTextIn(0, TXT_CLOSE_GAME_WARNING);
  struct Row {
    UiPhase phase;
    bool written, gameRunning;
    std::wstring detail;
  };
  const Row rows[] = {
      {UiPhase::Ready, true, false, saved},
      {UiPhase::UpdateAvailable, true, false, saved},
      {UiPhase::Downloading, true, false, L"3 de 12 archivos"},
      {UiPhase::Checking, true, false, L"3 de 12 archivos"},
      {UiPhase::Downloading, true, true, warning},
      {UiPhase::Ready, false, false, L"No se ha podido guardar qarlok.cfg"},
      {UiPhase::Ready, false, true, warning},
  };
  for (const Row& row : rows) {
    UiState s;
    s.phase = row.phase;
    s.detailText = L"3 de 12 archivos";
    OpenPanel(s, ClientSettings(), kAdapter);
    s.openList = CTRL_RESOLUTION;
    FinishSave(s, row.written, row.gameRunning);
    EXPECT_EQ(s.detailText, row.detail) << "phase " << static_cast<int>(row.phase) << " written " << row.written;
    EXPECT_FALSE(s.settingsOpen) << "the panel closes whether the write worked or not";
    EXPECT_EQ(s.openList, CTRL_NONE);
  }
}

}  // namespace
