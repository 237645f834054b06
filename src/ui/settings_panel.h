#pragma once
// The settings panel's operations on uiState. Window thread only. The decisions are portable
// (settings_panel.cpp); the file, the adapter and the log are reached in settings_panel_win.cpp.
#include <vector>

#include "settings/client_settings.h"
#include "settings/display_modes.h"
#include "ui/ui_state.h"

// Loads qarlok.cfg over the panel defaults, lists the display modes, selects the current one and
// opens the panel.
void OpenSettingsPanel();

// Writes the edited values to qarlok.cfg, says how it went on the second status line, closes the
// panel and warns when the game client is running.
void SaveSettingsPanel();

// Opens the panel on what the file gave (read over a default record) and the adapter's modes; the
// file's resolution is selected, inserted among the modes when the adapter lacks it.
void OpenPanel(UiState& state, const ClientSettings& fromFile, std::vector<DisplayMode> modes);

// The values to write: the selected mode's resolution and frequency at 32 bits per pixel.
const ClientSettings& PrepareSave(UiState& state);

// After the write: the second status line as the outcome and the phase say, the panel closed. A
// running check or download keeps its own line; a running game's warning replaces any line.
void FinishSave(UiState& state, bool saved, bool gameRunning);
