#include "ui/settings_panel.h"

#include <utility>

#include "ui/ui_text.h"

void OpenPanel(UiState& state, const ClientSettings& fromFile, std::vector<DisplayMode> modes) {
  state.editedSettings = fromFile;
  state.displayModes = std::move(modes);
  state.selectedMode = SelectCurrentMode(state.displayModes, state.editedSettings);
  state.openList = CTRL_NONE;
  state.listScroll = 0;
  state.hoverId = CTRL_NONE;
  state.settingsOpen = true;
}

const ClientSettings& PrepareSave(UiState& state) {
  ClientSettings& settings = state.editedSettings;
  const int32_t index = state.selectedMode;
  if (index >= 0 && index < static_cast<int32_t>(state.displayModes.size())) {
    const DisplayMode& mode = state.displayModes[index];
    settings.width = mode.width;
    settings.height = mode.height;
    settings.frequency = mode.frequency;
    settings.bitsPerPixel = 32;
  }
  return settings;
}

void FinishSave(UiState& state, bool saved, bool gameRunning) {
  if (!saved) {
    state.detailText = L"No se ha podido guardar qarlok.cfg";  // Spanish in every interface language
  } else if (state.phase == UiPhase::Ready || state.phase == UiPhase::UpdateAvailable) {
    state.detailText = UiText(TXT_SETTINGS_SAVED);
  }
  state.settingsOpen = false;
  state.openList = CTRL_NONE;
  if (gameRunning) state.detailText = UiText(TXT_CLOSE_GAME_WARNING);
}
