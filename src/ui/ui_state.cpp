#include "ui/ui_state.h"

#include "ui/ui_text.h"

const MainButtonLook kMainButtonByPhase[kUiPhaseCount] = {
    {TXT_BTN_CHECKING, false},    // Checking
    {TXT_BTN_UPDATE, true},       // UpdateAvailable
    {TXT_BTN_DOWNLOADING, false}, // Downloading
    {TXT_BTN_PLAY, true},         // Ready
    {TXT_BTN_RETRY, true},        // CheckFailed
    {TXT_BTN_RETRY, true},        // UpdateFailed
    {TXT_BTN_RESTARTING, false},  // Restarting
    {TXT_BTN_STARTING, false},    // StartingGame
};

MainButtonLook MainButtonFor(UiPhase phase) {
  const int index = static_cast<int>(phase);
  if (index < 0 || index >= kUiPhaseCount) return {TXT_BTN_CHECKING, false};
  return kMainButtonByPhase[index];
}

UiState uiState;
