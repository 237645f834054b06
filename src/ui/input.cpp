#include "ui/input.h"

#include <algorithm>

#include "ui/ui_text.h"

namespace {

constexpr int kVisibleListRows = 7;
constexpr int kLanguageListLastStart = kLanguageRowCount - kVisibleListRows;  // 9

UiEffects Effects(uint32_t flags) { return UiEffects{flags, -1}; }

bool IsSlider(int32_t id) { return id >= CTRL_SLIDER_MUSIC && id <= CTRL_SLIDER_SHADOWS; }

int LastListStart(const UiState& state) {
  if (state.openList == CTRL_LANGUAGE) return kLanguageListLastStart;
  if (state.openList == CTRL_RESOLUTION) {
    return std::max(0, static_cast<int>(state.displayModes.size()) - kVisibleListRows);
  }
  return 0;
}

void CloseList(UiState& state) { state.openList = CTRL_NONE; }

// Opens the list, or closes it when it is the open one; the current choice stands in the fourth
// visible row where the list allows.
void ToggleList(UiState& state, int32_t listId) {
  if (state.openList == listId) {
    CloseList(state);
    return;
  }
  state.openList = listId;
  const int current = listId == CTRL_LANGUAGE ? state.currentLanguage : state.selectedMode;
  state.listScroll = std::clamp(current - 3, 0, LastListStart(state));
}

UiEffects MainButton(UiState& state) {
  switch (state.phase) {
    case UiPhase::UpdateAvailable:
    case UiPhase::UpdateFailed:
      state.phase = UiPhase::Downloading;
      state.progressPercent = 0;
      state.statusText = UiText(TXT_DOWNLOADING_UPDATE);
      state.detailText.clear();
      return Effects(FX_REPAINT | FX_START_UPDATE);
    case UiPhase::Ready:
      return Effects(FX_START_GAME);
    case UiPhase::CheckFailed:
      state.phase = UiPhase::Checking;
      state.progressPercent = 0;
      state.statusText = UiText(TXT_CHECKING_GAME_FILES);
      state.detailText.clear();
      return Effects(FX_REPAINT | FX_START_CHECK);
    default:
      return Effects(0);
  }
}

}  // namespace

int32_t HitTest(const UiState& state, int x, int y) {
  const float fx = static_cast<float>(x);
  const float fy = static_cast<float>(y);
  for (auto region = state.hitRegions.rbegin(); region != state.hitRegions.rend(); ++region) {
    if (fx >= region->left && fx < region->left + region->width && fy >= region->top &&
        fy < region->top + region->height) {
      return region->id;
    }
  }
  return CTRL_NONE;
}

bool IsClientArea(const UiState& state, int x, int y) {
  return HitTest(state, x, y) != CTRL_NONE || state.openList != CTRL_NONE;
}

bool ShowsHand(const UiState& state, int x, int y) {
  const int32_t id = HitTest(state, x, y);
  return id != CTRL_NONE && id != CTRL_PANEL_BODY;
}

void SetSliderFromX(UiState& state, int32_t sliderId, int x, double scale) {
  const auto region = std::find_if(state.hitRegions.begin(), state.hitRegions.end(),
                                   [sliderId](const HitRegion& r) { return r.id == sliderId; });
  if (region == state.hitRegions.end()) return;
  const double start = region->left + 8 * scale;
  const double length = region->width - 16 * scale;
  const double t = length > 0 ? std::clamp((x - start) / length, 0.0, 1.0) : 0.0;
  const auto nearest = [t](int steps) { return static_cast<int32_t>(t * steps + 0.5); };
  ClientSettings& settings = state.editedSettings;
  switch (sliderId) {
    case CTRL_SLIDER_MUSIC: settings.musicVolume = static_cast<float>(t); break;
    case CTRL_SLIDER_EFFECTS_VOICES: settings.voiceVolume = nearest(5); break;
    case CTRL_SLIDER_BRIGHTNESS: settings.gamma = nearest(4); break;
    case CTRL_SLIDER_SHADOWS: settings.shadowLevel = nearest(5); break;
    default: break;
  }
}

UiEffects OnMouseMove(UiState& state, int x, int y, double scale) {
  if (state.dragSliderId != CTRL_NONE) {
    SetSliderFromX(state, state.dragSliderId, x, scale);
    return Effects(FX_REPAINT);
  }
  uint32_t flags = FX_TRACK_LEAVE;
  const int32_t id = HitTest(state, x, y);
  if (id != state.hoverId) {
    state.hoverId = id;
    flags |= FX_REPAINT;
  }
  return Effects(flags);
}

UiEffects OnMouseLeave(UiState& state) {
  if (state.hoverId == CTRL_NONE) return Effects(0);
  state.hoverId = CTRL_NONE;
  return Effects(FX_REPAINT);
}

UiEffects OnNonClientMouseMove(UiState& state) {
  UiEffects effects = OnMouseLeave(state);
  effects.flags |= FX_DEFAULT;
  return effects;
}

UiEffects OnLeftDown(UiState& state, int x, int y, double scale) {
  const int32_t id = HitTest(state, x, y);
  // A press outside the open list only closes it.
  if (state.openList != CTRL_NONE && !IsListRow(id) && id != state.openList) {
    CloseList(state);
    return Effects(FX_REPAINT);
  }
  if (IsSlider(id)) {
    state.dragSliderId = id;
    SetSliderFromX(state, id, x, scale);
    return Effects(FX_CAPTURE | FX_REPAINT);
  }
  state.pressedId = id;
  return Effects(FX_REPAINT);
}

UiEffects OnLeftUp(UiState& state, int x, int y, double scale) {
  if (state.dragSliderId != CTRL_NONE) {
    SetSliderFromX(state, state.dragSliderId, x, scale);
    state.dragSliderId = CTRL_NONE;
    return Effects(FX_RELEASE_CAPTURE | FX_REPAINT);
  }
  const int32_t id = HitTest(state, x, y);
  const int32_t pressed = state.pressedId;
  state.pressedId = CTRL_NONE;
  // A click is a press and a release on the same control.
  if (id != CTRL_NONE && id == pressed) return DispatchClick(state, id);
  return Effects(FX_REPAINT);
}

UiEffects OnWheel(UiState& state, int delta) {
  if (state.openList == CTRL_NONE) return Effects(0);
  // One row per message, whatever the distance.
  const int step = delta > 0 ? -1 : 1;
  state.listScroll = std::clamp(state.listScroll + step, 0, LastListStart(state));
  return Effects(FX_REPAINT | FX_PAINT_NOW | FX_REHOVER);
}

void RehoverAt(UiState& state, int x, int y) { state.hoverId = HitTest(state, x, y); }

UiEffects OnKeyDown(UiState& state, int key) {
  if (key == kKeyEscape) {
    if (state.openList != CTRL_NONE) {
      CloseList(state);
    } else if (state.settingsOpen) {
      state.settingsOpen = false;
    } else {
      return Effects(0);
    }
    return Effects(FX_REPAINT);
  }
  if (key == kKeyEnter && !state.settingsOpen) {
    return MainButtonFor(state.phase).enabled ? DispatchClick(state, CTRL_MAIN_BUTTON) : Effects(0);
  }
  return Effects(FX_DEFAULT);
}

UiEffects OnStatusTimer(const UiState& state) {
  return Effects(state.websiteUrl.empty() ? 0u : static_cast<uint32_t>(FX_START_STATUS));
}

UiEffects DispatchClick(UiState& state, int32_t id) {
  if (IsLanguageRow(id)) {
    CloseList(state);
    return UiEffects{FX_CHANGE_LANGUAGE | FX_REPAINT, id - CTRL_LANGUAGE_ROW};
  }
  if (IsResolutionRow(id)) {
    const int32_t index = id - CTRL_RESOLUTION_ROW;
    if (index < static_cast<int32_t>(state.displayModes.size())) state.selectedMode = index;
    CloseList(state);
    return Effects(FX_REPAINT);
  }
  ClientSettings& settings = state.editedSettings;
  switch (id) {
    case CTRL_SETTINGS: return Effects(FX_OPEN_PANEL);
    case CTRL_WEBSITE: return Effects(FX_OPEN_WEBSITE);
    case CTRL_DISCORD: return Effects(FX_OPEN_DISCORD);
    case CTRL_MINIMIZE: return Effects(FX_MINIMIZE);
    case CTRL_CLOSE: return Effects(FX_CLOSE);
    case CTRL_MAIN_BUTTON: return MainButton(state);
    case CTRL_PLAY_WITHOUT_CHECKING: return Effects(FX_PLAY_UNCHECKED);
    case CTRL_LANGUAGE:
    case CTRL_RESOLUTION: ToggleList(state, id); break;
    case CTRL_WINDOWED: settings.windowed = true; break;
    case CTRL_FULLSCREEN: settings.windowed = false; break;
    case CTRL_DISTANCE_SHORT: settings.visibility = 1; break;
    case CTRL_DISTANCE_MEDIUM: settings.visibility = 2; break;
    case CTRL_DISTANCE_LONG: settings.visibility = 3; break;
    case CTRL_CURSOR_NO: settings.softwareCursor = false; break;
    case CTRL_CURSOR_YES: settings.softwareCursor = true; break;
    case CTRL_CANCEL:
      state.settingsOpen = false;
      CloseList(state);
      break;
    case CTRL_SAVE: return Effects(FX_SAVE_PANEL);
    default: return Effects(0);  // the panel body and the sliders do nothing on a click
  }
  return Effects(FX_REPAINT);
}

UiEffects OnStatusText(UiState& state, const std::wstring& text) {
  state.statusText = text;
  return Effects(FX_REPAINT);
}

UiEffects OnProgress(UiState& state, int32_t percent) {
  state.progressPercent = percent;
  return Effects(FX_REPAINT);
}

UiEffects OnUpdateDone(UiState& state, const std::wstring& localVersion) {
  state.phase = UiPhase::Ready;
  state.progressPercent = 100;
  state.statusText = UiText(TXT_UPDATE_INSTALLED);
  state.detailText = UiText(TXT_READY_TO_PLAY);
  state.localVersionText = localVersion;
  return Effects(FX_REPAINT);
}

UiEffects OnFailed(UiState& state, const std::wstring& reason) {
  state.phase = state.phase == UiPhase::Downloading ? UiPhase::UpdateFailed : UiPhase::CheckFailed;
  // A reason already on the second line stays: it is the first and usually the precise one.
  if (!reason.empty() && state.detailText.empty()) state.detailText = reason;
  return Effects(FX_REPAINT);
}

UiEffects OnCheckResult(UiState& state, bool updateNeeded, const std::wstring& localVersion) {
  state.phase = updateNeeded ? UiPhase::UpdateAvailable : UiPhase::Ready;
  state.progressPercent = updateNeeded ? 0 : 100;
  state.statusText = UiText(updateNeeded ? TXT_UPDATE_AVAILABLE : TXT_UP_TO_DATE);
  state.detailText = UiText(updateNeeded ? TXT_PRESS_UPDATE : TXT_READY_TO_PLAY);
  state.localVersionText = localVersion;
  return Effects(FX_REPAINT);
}

UiEffects OnDetailText(UiState& state, const std::wstring& text) {
  state.detailText = text;
  return Effects(FX_REPAINT);
}

UiEffects OnLauncherLinks(UiState& state, const std::wstring* website, const std::wstring* discord) {
  if (!website || !discord) return Effects(FX_REPAINT);
  state.websiteUrl = *website;
  state.discordUrl = *discord;
  return Effects(state.websiteUrl.empty() ? FX_REPAINT : FX_REPAINT | FX_START_STATUS | FX_STATUS_TIMER);
}

UiEffects OnPlayersOnline(UiState& state, int32_t players) {
  state.playersOnline = players;
  return Effects(FX_REPAINT);
}

UiEffects BeginRestart(UiState& state) {
  state.phase = UiPhase::Restarting;
  state.progressPercent = 100;
  // Spanish in every interface language.
  state.statusText = L"Instalando el nuevo launcher";
  state.detailText = L"Se abrir\u00E1 solo en un momento";
  return Effects(FX_REPAINT | FX_PAINT_NOW | FX_INSTALL_LAUNCHER);
}

UiEffects RestartFailed(UiState& state) {
  state.phase = UiPhase::Checking;
  state.progressPercent = 0;
  state.statusText = L"No se ha podido instalar el launcher nuevo";
  state.detailText = L"Se sigue con el actual";
  return Effects(FX_REPAINT | FX_START_CHECK);
}

StatusSnapshot TakeStatus(const UiState& state) {
  return {state.phase, state.statusText, state.detailText, state.progressPercent};
}

void WorkerNotStarted(UiState& state, const StatusSnapshot* beforeClick) {
  if (beforeClick == nullptr) {
    state.phase = UiPhase::CheckFailed;
    return;
  }
  state.phase = beforeClick->phase;
  state.statusText = beforeClick->statusText;
  state.detailText = beforeClick->detailText;
  state.progressPercent = beforeClick->progressPercent;
}

bool IsOpenableLink(const std::wstring& address) {
  return address.rfind(L"http://", 0) == 0 || address.rfind(L"https://", 0) == 0;
}

WindowSize ScaledWindowSize(double scale) {
  return {static_cast<int>(960 * scale + 0.5), static_cast<int>(540 * scale + 0.5)};
}
