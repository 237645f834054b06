#include "ui/settings_panel.h"

#include <gtest/gtest.h>

#include "core/utf8.h"
#include "ui/input.h"

namespace {

const std::vector<DisplayMode> kAdapter = {{800, 600, 60}, {1024, 768, 75}, {1920, 1080, 144}};

// The panel opens on what the file gave, over the defaults, with nothing of the main screen open or hovered;
// it saves the chosen mode at 32 bits, and a cancel forgets every edit.
TEST(SettingsPanel, OpensOnTheFileSavesTheChosenModeAndCancels) {
  const struct { std::vector<std::string> file; const char* shown; size_t modes; } rows[] = {
      {{}, "1024x768@75 gamma 3 windowed", 3},
      {{"WIDTH 1000", "HEIGHT 700", "FREQUENCY 50", "GAMMA 7", "WINDOWED 0"}, "1000x700@50 gamma 2 fullscreen", 4},
      {{"WIDTH 1920", "HEIGHT 1080", "BPP 16"}, "1920x1080@144 gamma 3 windowed", 3},
  };
  for (const auto& row : rows) {
    UiState s;
    s.openList = CTRL_LANGUAGE;
    s.hoverId = CTRL_SETTINGS;
    s.listScroll = 5;
    ClientSettings file;
    ApplySettingLines(row.file, file);
    OpenPanel(s, file, kAdapter);
    EXPECT_TRUE(s.settingsOpen && s.openList == CTRL_NONE && s.hoverId == CTRL_NONE && s.listScroll == 0);
    EXPECT_EQ(s.displayModes.size(), row.modes) << "the file's own resolution is offered too";
    const ClientSettings& saved = PrepareSave(s);
    EXPECT_EQ(std::to_string(saved.width) + "x" + std::to_string(saved.height) + "@" + std::to_string(saved.frequency) +
                  " gamma " + std::to_string(saved.gamma) + (saved.windowed ? " windowed" : " fullscreen"),
              row.shown) << "saved as opened";
    EXPECT_EQ(saved.bitsPerPixel, 32);
  }
  UiState s;
  const ClientSettings file;
  OpenPanel(s, file, kAdapter);
  for (int32_t id : {int32_t{CTRL_FULLSCREEN}, int32_t{CTRL_DISTANCE_SHORT}, int32_t{CTRL_RESOLUTION}, CTRL_RESOLUTION_ROW + 2}) DispatchClick(s, id);
  EXPECT_EQ(std::to_string(PrepareSave(s).width) + " " + std::to_string(s.editedSettings.visibility), "1920 1");
  DispatchClick(s, CTRL_CANCEL);
  EXPECT_FALSE(s.settingsOpen);
  OpenPanel(s, file, kAdapter);
  EXPECT_TRUE(s.editedSettings.windowed && s.editedSettings.visibility == 3 && s.selectedMode == 1)
      << "a cancelled edit must not come back";
}

// The second status line after a save (in Spanish), by phase, outcome and a running game.
TEST(SettingsPanel, SecondLineAfterSave) {
  const struct { UiPhase phase; bool written, gameRunning; const char* detail; } rows[] = {
      {UiPhase::Ready, true, false, "Configuraci\xC3\xB3n guardada"},
      {UiPhase::UpdateAvailable, true, false, "Configuraci\xC3\xB3n guardada"},
      {UiPhase::Downloading, true, false, "3 de 12 archivos"},
      {UiPhase::Checking, true, false, "3 de 12 archivos"},
      {UiPhase::Downloading, true, true, "Cierra el juego o perder\xC3\xA1s estos ajustes"},
      {UiPhase::Ready, false, false, "No se ha podido guardar qarlok.cfg"},
      {UiPhase::Ready, false, true, "Cierra el juego o perder\xC3\xA1s estos ajustes"},
  };
  for (const auto& row : rows) {
    UiState s;
    s.phase = row.phase;
    s.detailText = L"3 de 12 archivos";
    OpenPanel(s, ClientSettings(), kAdapter);
    s.openList = CTRL_RESOLUTION;
    FinishSave(s, row.written, row.gameRunning);
    EXPECT_EQ(WideToUtf8(s.detailText), row.detail) << "phase " << static_cast<int>(row.phase) << " written " << row.written;
    EXPECT_FALSE(s.settingsOpen || s.openList != CTRL_NONE) << "the panel closes whether the write worked or not";
  }
}

}  // namespace
