#pragma once
// The settings panel's two operations on uiState. Window thread only.

// Loads qarlok.cfg over the panel defaults, lists the display modes, selects the current one and
// opens the panel.
void OpenSettingsPanel();

// Writes the edited values to qarlok.cfg, says how it went on the second status line, closes the
// panel and warns when the game client is running.
void SaveSettingsPanel();
