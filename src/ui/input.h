#pragma once
// The window's decisions, as plain operations on UiState: mouse, keys, click dispatch and the
// worker messages. Each returns the effects it asks the window to carry out, in the order the
// window applies them (state first, then repaint, then the outside world). Portable: no Windows
// calls, so every rule is tested natively.
#include <cstdint>
#include <string>

#include "ui/ui_state.h"

enum UiEffect : uint32_t {
  FX_REPAINT = 1u << 0,
  FX_PAINT_NOW = 1u << 1,       // paint before going on
  FX_REHOVER = 1u << 2,         // once painted, hit-test the cursor into hoverId (RehoverAt) and repaint
  FX_CAPTURE = 1u << 3,
  FX_RELEASE_CAPTURE = 1u << 4,
  FX_TRACK_LEAVE = 1u << 5,     // ask for one mouse-leave notification
  FX_START_CHECK = 1u << 6,
  FX_START_UPDATE = 1u << 7,
  FX_START_STATUS = 1u << 8,
  FX_STATUS_TIMER = 1u << 9,    // (re)start the 60 s status timer
  FX_OPEN_WEBSITE = 1u << 10,
  FX_OPEN_DISCORD = 1u << 11,
  FX_START_GAME = 1u << 12,
  FX_PLAY_UNCHECKED = 1u << 13, // log that the check is skipped, then start the game
  FX_MINIMIZE = 1u << 14,
  FX_CLOSE = 1u << 15,
  FX_OPEN_PANEL = 1u << 16,
  FX_SAVE_PANEL = 1u << 17,
  FX_CHANGE_LANGUAGE = 1u << 18,  // to UiEffects::language
  FX_INSTALL_LAUNCHER = 1u << 19,
  FX_DEFAULT = 1u << 20,        // the message goes on to the default window procedure
};

struct UiEffects {
  uint32_t flags = 0;
  int language = -1;  // LanguageTable index for FX_CHANGE_LANGUAGE
};

constexpr int kStatusTimerId = 1;
constexpr unsigned kStatusPeriodMs = 60000;
constexpr int kKeyEnter = 0x0D;
constexpr int kKeyEscape = 0x1B;

// The id of the last-drawn region holding the client point, or CTRL_NONE.
int32_t HitTest(const UiState& state, int x, int y);

// Whether a non-client hit test answers "client" (a control, or anywhere while a list is open, so
// that the press reaches the window and closes the list) rather than "caption" (drag the window).
bool IsClientArea(const UiState& state, int x, int y);
// The hand over every control but the panel body; the arrow elsewhere.
bool ShowsHand(const UiState& state, int x, int y);

UiEffects OnMouseMove(UiState& state, int x, int y, double scale);
UiEffects OnMouseLeave(UiState& state);
UiEffects OnNonClientMouseMove(UiState& state);
UiEffects OnLeftDown(UiState& state, int x, int y, double scale);
UiEffects OnLeftUp(UiState& state, int x, int y, double scale);
UiEffects OnWheel(UiState& state, int delta);
void RehoverAt(UiState& state, int x, int y);
UiEffects OnKeyDown(UiState& state, int key);
UiEffects OnStatusTimer(const UiState& state);
UiEffects DispatchClick(UiState& state, int32_t id);

// Sets the dragged slider's value from the pointer's x over its hit region's track.
void SetSliderFromX(UiState& state, int32_t sliderId, int x, double scale);

// Worker messages. Texts arrive already converted to UTF-16.
UiEffects OnStatusText(UiState& state, const std::wstring& text);
UiEffects OnProgress(UiState& state, int32_t percent);
UiEffects OnUpdateDone(UiState& state, const std::wstring& localVersion);
UiEffects OnFailed(UiState& state, const std::wstring& reason);  // empty: no reason
UiEffects OnCheckResult(UiState& state, bool updateNeeded, const std::wstring& localVersion);
UiEffects OnDetailText(UiState& state, const std::wstring& text);
UiEffects OnLauncherLinks(UiState& state, const std::wstring* website, const std::wstring* discord);
UiEffects OnPlayersOnline(UiState& state, int32_t players);
// The restart sequence: shown and painted, then the window installs the new launcher.
UiEffects BeginRestart(UiState& state);
UiEffects RestartFailed(UiState& state);

// What the status lines showed before a click asked for a worker, so that a worker thread that
// cannot be created leaves the window as it was.
struct StatusSnapshot {
  UiPhase phase;
  std::wstring statusText;
  std::wstring detailText;
  int32_t progressPercent;
};
StatusSnapshot TakeStatus(const UiState& state);
// A worker could not start: back to the snapshot when a click asked for it, otherwise (start-up,
// a failed install) CheckFailed, so that the main button offers a new check.
void WorkerNotStarted(UiState& state, const StatusSnapshot* beforeClick);

// Only addresses starting with "http://" or "https://" (exact case) are handed to the shell.
bool IsOpenableLink(const std::wstring& address);

struct WindowSize {
  int width;
  int height;
};
// 960 x 540 design pixels at the scale, each rounded (add 0.5, truncate).
WindowSize ScaledWindowSize(double scale);
