#include "ui/input.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/ui_text.h"

namespace {

// The controls where rendering draws them at scale 1: the main screen, or the panel with its
// sliders (track 382 to 604) and an open language list of 7 rows at 72.
UiState Screen(UiPhase phase, bool panel, int32_t openList = CTRL_NONE) {
  UiState s;
  s.phase = phase;
  s.settingsOpen = panel;
  s.openList = openList;
  if (panel) {
    s.hitRegions = {{CTRL_PANEL_BODY, 180, 18, 600, 504},
                    {CTRL_SLIDER_MUSIC, 374, 170, 238, 29},
                    {CTRL_SLIDER_EFFECTS_VOICES, 374, 211, 238, 29}};
  } else {
    s.hitRegions = {{CTRL_MAIN_BUTTON, 680, 448, 240, 58}};
  }
  s.hitRegions.push_back({CTRL_LANGUAGE, 676, 40, 62, 30});
  for (int r = 0; openList == CTRL_LANGUAGE && r < 7; ++r) {
    s.hitRegions.push_back({CTRL_LANGUAGE_ROW + r, 554, 74.0f + 28 * r, 182, 28});
  }
  return s;
}

const wchar_t* Spanish(int key) { return UiTextIn(0, key); }

// Every move of the phase machine, with what the window is asked to do, the first status line
// (Spanish; null: unchanged) and the progress.
TEST(PhaseMachine, EveryTransition) {
  enum Event { CheckNeeded, CheckUpToDate, Failed, Install, InstallFailed, UpdateDone, Main, Unchecked, Enter };
  struct Row {
    UiPhase from;
    Event event;
    UiPhase to;
    uint32_t effects;
    const wchar_t* status;  // null: unchanged
    int32_t progress;
  };
  using P = UiPhase;
  const Row rows[] = {
      {P::Checking, CheckNeeded, P::UpdateAvailable, FX_REPAINT, Spanish(TXT_UPDATE_AVAILABLE), 0},
      {P::Checking, CheckUpToDate, P::Ready, FX_REPAINT, Spanish(TXT_UP_TO_DATE), 100},
      {P::Checking, Failed, P::CheckFailed, FX_REPAINT, nullptr, 40},
      {P::Checking, Install, P::Restarting, FX_REPAINT | FX_PAINT_NOW | FX_INSTALL_LAUNCHER,
       L"Instalando el nuevo launcher", 100},
      {P::Restarting, InstallFailed, P::Checking, FX_REPAINT | FX_START_CHECK,
       L"No se ha podido instalar el launcher nuevo", 0},
      {P::UpdateAvailable, Main, P::Downloading, FX_REPAINT | FX_START_UPDATE, Spanish(TXT_DOWNLOADING_UPDATE), 0},
      {P::UpdateFailed, Main, P::Downloading, FX_REPAINT | FX_START_UPDATE, Spanish(TXT_DOWNLOADING_UPDATE), 0},
      {P::Downloading, UpdateDone, P::Ready, FX_REPAINT, Spanish(TXT_UPDATE_INSTALLED), 100},
      {P::Downloading, Failed, P::UpdateFailed, FX_REPAINT, nullptr, 40},
      {P::CheckFailed, Main, P::Checking, FX_REPAINT | FX_START_CHECK, Spanish(TXT_CHECKING_GAME_FILES), 0},
      {P::CheckFailed, Unchecked, P::CheckFailed, FX_PLAY_UNCHECKED, nullptr, 40},
      {P::Ready, Main, P::Ready, FX_START_GAME, nullptr, 40},
      {P::Ready, Failed, P::CheckFailed, FX_REPAINT, nullptr, 40},
      {P::UpdateFailed, Failed, P::CheckFailed, FX_REPAINT, nullptr, 40},
      {P::Ready, Enter, P::Ready, FX_START_GAME, nullptr, 40},
      {P::UpdateAvailable, Enter, P::Downloading, FX_REPAINT | FX_START_UPDATE, Spanish(TXT_DOWNLOADING_UPDATE), 0},
      {P::Checking, Enter, P::Checking, 0, nullptr, 40},
      {P::Downloading, Enter, P::Downloading, 0, nullptr, 40},
      {P::Restarting, Enter, P::Restarting, 0, nullptr, 40},
      {P::StartingGame, Enter, P::StartingGame, 0, nullptr, 40},
      {P::StartingGame, Main, P::StartingGame, 0, nullptr, 40},
  };
  for (const Row& row : rows) {
    UiState s;
    s.phase = row.from;
    s.progressPercent = 40;
    s.statusText = L"before";
    const std::wstring version = L"2.0.0";
    UiEffects fx;
    switch (row.event) {
      case CheckNeeded: fx = OnCheckResult(s, true, version); break;
      case CheckUpToDate: fx = OnCheckResult(s, false, version); break;
      case Failed: fx = OnFailed(s, L""); break;
      case Install: fx = BeginRestart(s); break;
      case InstallFailed: fx = RestartFailed(s); break;
      case UpdateDone: fx = OnUpdateDone(s, version); break;
      case Main: fx = DispatchClick(s, CTRL_MAIN_BUTTON); break;
      case Unchecked: fx = DispatchClick(s, CTRL_PLAY_WITHOUT_CHECKING); break;
      case Enter: fx = OnKeyDown(s, kKeyEnter); break;
    }
    const std::string what = "phase " + std::to_string(static_cast<int>(row.from)) + " event " +
                             std::to_string(row.event);
    EXPECT_EQ(s.phase, row.to) << what;
    EXPECT_EQ(fx.flags, row.effects) << what;
    EXPECT_EQ(s.statusText, row.status ? row.status : L"before") << what;
    EXPECT_EQ(s.progressPercent, row.progress) << what;
  }
}

TEST(PhaseMachine, FirstFailureReasonStays) {
  UiState s;
  const std::wstring first = L"no se pudo conectar", second = L"otra cosa", empty;
  OnFailed(s, first);
  OnFailed(s, second);
  OnFailed(s, empty);
  EXPECT_EQ(s.detailText, L"no se pudo conectar");
  EXPECT_EQ(s.phase, UiPhase::CheckFailed);
  const std::wstring version = L"2.0.0";
  OnCheckResult(s, true, version);
  EXPECT_EQ(s.detailText, Spanish(TXT_PRESS_UPDATE));
  OnUpdateDone(s, version);
  EXPECT_EQ(s.detailText, Spanish(TXT_READY_TO_PLAY));
  EXPECT_EQ(s.localVersionText, L"2.0.0") << "the version line must show the installed version";
}

// A worker thread that cannot be created: a click puts the window back as it was, any other
// start leaves a retry button.
TEST(PhaseMachine, WorkerThatCannotStartLeavesTheWindowUsable) {
  UiState s;
  s.phase = UiPhase::UpdateAvailable;
  const StatusSnapshot before = TakeStatus(s);
  DispatchClick(s, CTRL_MAIN_BUTTON);
  WorkerNotStarted(s, &before);
  EXPECT_EQ(s.phase, UiPhase::UpdateAvailable);
  EXPECT_EQ(s.statusText, L"");
  WorkerNotStarted(s, nullptr);
  EXPECT_EQ(s.phase, UiPhase::CheckFailed);
  EXPECT_TRUE(MainButtonFor(s.phase).enabled);
}

// Links, status polling and the timer.
TEST(StatusPolling, LinksStartPollingOnlyWithAWebSite) {
  struct Row {
    const wchar_t* web;
    const wchar_t* discord;
    uint32_t linkEffects;
    uint32_t tickEffects;
  };
  const Row rows[] = {
      {L"https://vandrel.example", L"", FX_REPAINT | FX_START_STATUS | FX_STATUS_TIMER, FX_START_STATUS},
      {L"", L"https://discord.example/v", FX_REPAINT, 0},
  };
  for (const Row& row : rows) {
    UiState s;
    const std::wstring web = row.web, discord = row.discord;
    EXPECT_EQ(OnLauncherLinks(s, &web, &discord).flags, row.linkEffects) << "web '" << web.size() << "'";
    EXPECT_EQ(OnStatusTimer(s).flags, row.tickEffects);
    EXPECT_EQ(s.discordUrl, discord);
  }
  UiState s;
  EXPECT_EQ(OnLauncherLinks(s, nullptr, nullptr).flags, FX_REPAINT) << "no record: nothing but a repaint";
  for (const wchar_t* link : {L"javascript:x", L"HTTPS://vandrel.example", L"file:///c:/", L""}) {
    EXPECT_FALSE(IsOpenableLink(link)) << "only http:// and https:// go to the shell";
  }
  EXPECT_TRUE(IsOpenableLink(L"https://discord.gg/x") && IsOpenableLink(L"http://vandrel.example"));
}

// Mouse and key sequences, each from a fresh screen with voices at 1. Steps: d/u press and release
// at (x, y), m move, w wheel with delta x, k key x. Expected: START_UPDATE count, language row picked,
// open list, list scroll, panel open, music, voices.
TEST(InputSequences, EdgeCases) {
  struct Step {
    char kind;
    int x, y;
  };
  struct Row {
    const char* what;
    UiPhase phase;
    bool panel;
    int32_t list, scroll;
    std::vector<Step> steps;
    int updates, language;
    int32_t listAfter, scrollAfter;
    bool panelAfter;
    float music;
    int voices;
  };
  const auto U = UiPhase::UpdateAvailable, R = UiPhase::Ready;
  const int32_t L = CTRL_LANGUAGE;
  const float m = 0.3f;  // untouched music volume
  const Row rows[] = {
      {"press on main, release outside", U, false, -1, 0, {{'d', 700, 470}, {'u', 100, 100}}, 0, -1, -1, 0, 0, m, 1},
      {"press outside, release on main", U, false, -1, 0, {{'d', 100, 100}, {'u', 700, 470}}, 0, -1, -1, 0, 0, m, 1},
      {"double click acts once", U, false, -1, 0, {{'d', 700, 470}, {'u', 700, 470}, {'u', 700, 470}}, 1, -1, -1, 0, 0,
       m, 1},
      {"list open: press on main only closes it", U, false, L, 0, {{'d', 700, 470}, {'u', 700, 470}}, 0, -1, -1, 0, 0,
       m, 1},
      {"list open: press on the body only closes it", R, true, L, 0, {{'d', 300, 300}, {'u', 300, 300}}, 0, -1, -1, 0,
       1, m, 1},
      {"a row picks on release", R, true, L, 1, {{'d', 600, 130}, {'u', 600, 130}}, 0, 202, -1, 1, 1, m, 1},
      {"wheel stops at row 0", R, true, L, 0, {{'w', 120, 0}}, 0, -1, L, 0, 1, m, 1},
      {"wheel stops at row 9 of 16", R, true, L, 9, {{'w', -120, 0}, {'w', -360, 0}}, 0, -1, L, 9, 1, m, 1},
      {"one row per wheel message", R, true, L, 2, {{'w', -600, 0}}, 0, -1, L, 3, 1, m, 1},
      {"5 display modes do not scroll", R, true, CTRL_RESOLUTION, 0, {{'w', -120, 0}}, 0, -1, CTRL_RESOLUTION, 0, 1, m,
       1},
      {"effects at mid-track snap to 3", R, true, -1, 0, {{'d', 493, 225}, {'u', 493, 225}}, 0, -1, -1, 0, 1, m, 3},
      {"effects past the right end", R, true, -1, 0, {{'d', 400, 225}, {'m', 900, 600}, {'u', 950, 600}}, 0, -1, -1, 0,
       1, m, 5},
      {"music past the left end, then to 149/222", R, true, -1, 0,
       {{'d', 500, 180}, {'m', 10, 180}, {'u', 10, 180}, {'d', 382, 180}, {'m', 531, 180}, {'u', 531, 180}}, 0, -1, -1,
       0, 1, 149.0f / 222, 1},
      {"slider double click moves on the first press only", R, true, -1, 0,
       {{'d', 382, 225}, {'u', 382, 225}, {'u', 604, 225}}, 0, -1, -1, 0, 1, m, 0},
      {"Escape closes the list first", R, true, L, 0, {{'k', kKeyEscape, 0}}, 0, -1, -1, 0, 1, m, 1},
      {"a second Escape closes the panel", R, true, L, 0, {{'k', kKeyEscape, 0}, {'k', kKeyEscape, 0}}, 0, -1, -1, 0,
       0, m, 1},
      {"Enter over the panel does nothing", U, true, -1, 0, {{'k', kKeyEnter, 0}}, 0, -1, -1, 0, 1, m, 1},
  };
  for (const Row& row : rows) {
    UiState s = Screen(row.phase, row.panel, row.list);
    s.listScroll = row.scroll;
    s.displayModes.assign(5, DisplayMode{1024, 768, 60});
    s.editedSettings.voiceVolume = 1;
    int updates = 0, language = -1;
    for (const Step& step : row.steps) {
      UiEffects fx;
      if (step.kind == 'd') fx = OnLeftDown(s, step.x, step.y, 1.0);
      if (step.kind == 'u') fx = OnLeftUp(s, step.x, step.y, 1.0);
      if (step.kind == 'm') fx = OnMouseMove(s, step.x, step.y, 1.0);
      if (step.kind == 'w') fx = OnWheel(s, step.x);
      if (step.kind == 'k') fx = OnKeyDown(s, step.x);
      updates += (fx.flags & FX_START_UPDATE) ? 1 : 0;
      if (fx.flags & FX_CHANGE_LANGUAGE) language = CTRL_LANGUAGE_ROW + fx.language;
    }
    EXPECT_EQ(updates, row.updates) << row.what;
    EXPECT_EQ(language, row.language) << row.what;
    EXPECT_EQ(s.openList, row.listAfter) << row.what;
    EXPECT_EQ(s.listScroll, row.scrollAfter) << row.what;
    EXPECT_EQ(s.settingsOpen, row.panelAfter) << row.what;
    EXPECT_NEAR(s.editedSettings.musicVolume, row.music, 0.002) << row.what;
    EXPECT_EQ(s.editedSettings.voiceVolume, row.voices) << row.what;
    EXPECT_EQ(s.dragSliderId, CTRL_NONE) << row.what << ": the drag must end with the release";
  }
}

TEST(InputSequences, EmptySpaceDragsTheWindowUnlessAListIsOpen) {
  UiState s = Screen(UiPhase::Ready, false);
  EXPECT_FALSE(IsClientArea(s, 100, 100)) << "empty space must move the window";
  EXPECT_TRUE(IsClientArea(s, 700, 470));
  EXPECT_TRUE(ShowsHand(s, 700, 470));
  s = Screen(UiPhase::Ready, true, CTRL_LANGUAGE);
  EXPECT_TRUE(IsClientArea(s, 100, 100)) << "with a list open the press must reach the window to close it";
  EXPECT_FALSE(ShowsHand(s, 300, 300)) << "the panel body is no button";
}

}  // namespace
