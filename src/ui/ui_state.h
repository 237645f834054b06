#pragma once
// The window's whole state: one record that the window procedure changes, rendering draws, and
// starting the game, the settings panel and start-up write directly. Owned by the window thread
// only; workers reach it through window messages. Portable: no Windows calls.
// Texts are UTF-16 in std::wstring, as in core/utf8.h.
#include <cstdint>
#include <string>
#include <vector>

#include "settings/client_settings.h"
#include "settings/display_modes.h"

// Phase of the launcher; the value selects the main button (MainButtonFor).
enum class UiPhase : int32_t {
  Checking = 0,
  UpdateAvailable = 1,
  Downloading = 2,
  Ready = 3,
  CheckFailed = 4,
  UpdateFailed = 5,
  Restarting = 6,
  StartingGame = 7,
};

constexpr int kUiPhaseCount = 8;

// What the main button shows in a phase. A disabled button is drawn dimmed and gets no hit region,
// so it cannot be clicked and pressing on it drags the window like empty space.
struct MainButtonLook {
  int labelKey;  // UiText key
  bool enabled;
};

// Indexed by the phase's value. CheckFailed and UpdateFailed share a label but the window gives the
// button different work in each.
extern const MainButtonLook kMainButtonByPhase[kUiPhaseCount];

// The look for a phase; a value outside the enumeration gets a disabled button rather than a read
// past the table.
MainButtonLook MainButtonFor(UiPhase phase);

// Ids of the controls: what a hit region carries and what a click dispatches.
enum ControlId : int32_t {
  CTRL_NONE = -1,
  CTRL_SETTINGS = 1,
  CTRL_WEBSITE = 2,  // only while websiteUrl is not empty
  CTRL_DISCORD = 3,  // only while discordUrl is not empty
  CTRL_MINIMIZE = 4,
  CTRL_CLOSE = 5,
  CTRL_MAIN_BUTTON = 6,
  CTRL_PLAY_WITHOUT_CHECKING = 7,  // only in CheckFailed
  CTRL_LANGUAGE = 8,               // opens the language list
  CTRL_PANEL_BODY = 9,             // catches clicks on the settings panel, does nothing
  CTRL_RESOLUTION = 10,            // opens the resolution list
  CTRL_WINDOWED = 11,
  CTRL_FULLSCREEN = 12,
  CTRL_SLIDER_MUSIC = 13,
  CTRL_SLIDER_EFFECTS_VOICES = 14,
  CTRL_SLIDER_BRIGHTNESS = 15,
  CTRL_SLIDER_SHADOWS = 16,
  CTRL_DISTANCE_SHORT = 17,
  CTRL_DISTANCE_MEDIUM = 18,
  CTRL_DISTANCE_LONG = 19,
  CTRL_CURSOR_NO = 20,
  CTRL_CURSOR_YES = 21,
  CTRL_CANCEL = 22,
  CTRL_SAVE = 23,
  CTRL_LANGUAGE_ROW = 200,     // + LanguageTable index (16 rows)
  // + row index in displayModes. Far above the language rows: an adapter may report any number of
  // modes, and a resolution row must never be read as a language.
  CTRL_RESOLUTION_ROW = 1000,
};

constexpr int32_t kLanguageRowCount = 16;

inline bool IsLanguageRow(int32_t id) { return id >= CTRL_LANGUAGE_ROW && id < CTRL_LANGUAGE_ROW + kLanguageRowCount; }
inline bool IsResolutionRow(int32_t id) { return id >= CTRL_RESOLUTION_ROW; }
inline bool IsListRow(int32_t id) { return IsLanguageRow(id) || IsResolutionRow(id); }

// A clickable rectangle of the last paint, in client pixels.
struct HitRegion {
  int32_t id;
  float left;
  float top;
  float width;
  float height;
};

struct UiState {
  UiPhase phase = UiPhase::Checking;
  std::wstring statusText;  // start-up puts TXT_CHECKING_LAUNCHER here before the window is shown
  std::wstring detailText;
  int32_t progressPercent = 0;  // 0 to 100
  int32_t playersOnline = -1;   // -1: the web site has not answered
  std::wstring websiteUrl;
  std::wstring discordUrl;
  std::wstring localVersionText;
  std::wstring launcherVersionText;
  bool settingsOpen = false;
  ClientSettings editedSettings;  // the record's own defaults are the panel's start values
  std::vector<DisplayMode> displayModes;
  int32_t selectedMode = 0;       // index into displayModes
  int32_t currentLanguage = -1;   // LanguageTable index, -1 when locale.cfg names none
  int32_t openList = CTRL_NONE;   // CTRL_LANGUAGE or CTRL_RESOLUTION while a list is open
  int32_t listScroll = 0;         // first visible row of the open list
  int32_t hoverId = CTRL_NONE;
  int32_t pressedId = CTRL_NONE;
  int32_t dragSliderId = CTRL_NONE;  // CTRL_SLIDER_* while one is dragged
  std::vector<HitRegion> hitRegions;  // emptied and refilled by every paint, in drawing order
};

// The window's one state record, for the whole process.
extern UiState uiState;
