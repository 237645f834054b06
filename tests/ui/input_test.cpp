#include "ui/input.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "ui/layout.h"
#include "ui/ui_text.h"

namespace {

// A screen with the hit regions its own layout gives at scale 1, with 5 display modes and voices at 1: the panel's
// slider tracks run from 382 to 604, the language list opens at 72 with rows 28 high.
UiState Screen(UiPhase phase, bool panel, int32_t openList = CTRL_NONE, int32_t scroll = 0) {
  UiState s;
  s.phase = phase;
  s.settingsOpen = panel;
  s.openList = openList;
  s.listScroll = scroll;
  s.displayModes.assign(5, DisplayMode{1024, 768, 60});
  s.editedSettings.voiceVolume = 1;
  const auto measure = [](const std::wstring& t, float px, bool, MeasureFormat) { return t.size() * px * 0.5f; };
  s.hitRegions = LayoutFrame(s, 1.0, measure, 0).hitRegions;
  return s;
}

// In English, so that the texts below read as a player reads them.
class PhaseMachine : public ::testing::Test {
 protected:
  void SetUp() override { currentUiLanguage = 1; }
  void TearDown() override { currentUiLanguage = 0; }
};

// What the main button reads and whether it can be pressed, in every phase.
TEST_F(PhaseMachine, MainButtonOfEveryPhase) {
  using P = UiPhase;
  const struct { UiPhase phase; const char* button; } rows[] = {
      {P::Checking, "CHECKING, disabled"}, {P::UpdateAvailable, "UPDATE"},   {P::Downloading, "DOWNLOADING, disabled"},
      {P::Ready, "PLAY"},                  {P::CheckFailed, "RETRY"},        {P::UpdateFailed, "RETRY"},
      {P::Restarting, "RESTARTING, disabled"}, {P::StartingGame, "STARTING, disabled"}};
  for (const auto& row : rows) {
    const MainButtonLook look = MainButtonFor(row.phase);
    EXPECT_EQ(UiTextUtf8(look.labelKey) + (look.enabled ? "" : ", disabled"), row.button);
  }
  EXPECT_FALSE(MainButtonFor(UiState().phase).enabled) << "a new window allows no click before the first check ends";
}

// Every move of the phase machine from a window showing "before|earlier" at 40 %: what the window is asked to do,
// then "status|detail" (fixed Spanish texts stay Spanish) and the progress.
TEST_F(PhaseMachine, EveryTransition) {
  enum Event { CheckNeeded, UpToDate, Failed, FailedFirst, Install, InstallFailed, UpdateDone, Main, Unchecked, Enter,
               MainButNoThread, NoThread };
  using P = UiPhase;
  const struct { UiPhase from; Event event; UiPhase to; uint32_t effects; const wchar_t* lines; int32_t progress; } rows[] = {
      {P::Checking, CheckNeeded, P::UpdateAvailable, FX_REPAINT, L"An update is available|Press Update to download it", 0},
      {P::Checking, UpToDate, P::Ready, FX_REPAINT, L"Everything up to date|Ready to play", 100},
      {P::Checking, Failed, P::CheckFailed, FX_REPAINT, L"before|earlier", 40},  // the first reason stays
      {P::Checking, FailedFirst, P::CheckFailed, FX_REPAINT, L"before|no connection", 40},
      {P::Checking, Install, P::Restarting, FX_REPAINT | FX_PAINT_NOW | FX_INSTALL_LAUNCHER,
       L"Instalando el nuevo launcher|Se abrir\u00E1 solo en un momento", 100},
      {P::Restarting, InstallFailed, P::Checking, FX_REPAINT | FX_START_CHECK,
       L"No se ha podido instalar el launcher nuevo|Se sigue con el actual", 0},
      {P::UpdateAvailable, Main, P::Downloading, FX_REPAINT | FX_START_UPDATE, L"Downloading the update|", 0},
      {P::UpdateFailed, Main, P::Downloading, FX_REPAINT | FX_START_UPDATE, L"Downloading the update|", 0},
      {P::Downloading, UpdateDone, P::Ready, FX_REPAINT, L"Update installed|Ready to play", 100},
      {P::Downloading, Failed, P::UpdateFailed, FX_REPAINT, L"before|earlier", 40},
      {P::CheckFailed, Main, P::Checking, FX_REPAINT | FX_START_CHECK, L"Checking the game files|", 0},
      {P::CheckFailed, Unchecked, P::CheckFailed, FX_PLAY_UNCHECKED, L"before|earlier", 40},
      {P::Ready, Main, P::Ready, FX_START_GAME, L"before|earlier", 40},
      {P::UpdateFailed, Failed, P::CheckFailed, FX_REPAINT, L"before|earlier", 40},
      {P::UpdateAvailable, Enter, P::Downloading, FX_REPAINT | FX_START_UPDATE, L"Downloading the update|", 0},
      {P::Checking, Enter, P::Checking, 0, L"before|earlier", 40},
      {P::StartingGame, Main, P::StartingGame, 0, L"before|earlier", 40},
      // a worker thread that cannot be created: a click leaves the window as it was, any other start a retry
      {P::UpdateAvailable, MainButNoThread, P::UpdateAvailable, FX_REPAINT | FX_START_UPDATE, L"before|earlier", 40},
      {P::Checking, NoThread, P::CheckFailed, 0, L"before|earlier", 40},
  };
  for (const auto& row : rows) {
    UiState s;
    s.phase = row.from;
    s.progressPercent = 40;
    s.statusText = L"before";
    s.detailText = L"earlier";
    UiEffects fx;
    switch (row.event) {
      case CheckNeeded: fx = OnCheckResult(s, true, L"2.0.0"); break;
      case UpToDate: fx = OnCheckResult(s, false, L"2.0.0"); break;
      case Failed: fx = OnFailed(s, L"no connection"); break;
      case FailedFirst: s.detailText.clear(), fx = OnFailed(s, L"no connection"); break;
      case Install: fx = BeginRestart(s); break;
      case InstallFailed: fx = RestartFailed(s); break;
      case UpdateDone: fx = OnUpdateDone(s, L"2.0.0"); break;
      case Main: fx = DispatchClick(s, CTRL_MAIN_BUTTON); break;
      case Unchecked: fx = DispatchClick(s, CTRL_PLAY_WITHOUT_CHECKING); break;
      case Enter: fx = OnKeyDown(s, kKeyEnter); break;
      case MainButNoThread: {
        const StatusSnapshot before = TakeStatus(s);
        fx = DispatchClick(s, CTRL_MAIN_BUTTON);
        WorkerNotStarted(s, &before);
        break;
      }
      case NoThread: WorkerNotStarted(s, nullptr); break;
    }
    const std::string what = "from phase " + std::to_string(static_cast<int>(row.from)) + ", event " +
                             std::to_string(row.event);
    EXPECT_EQ(static_cast<int>(s.phase), static_cast<int>(row.to)) << what;
    EXPECT_EQ(fx.flags, row.effects) << what;
    EXPECT_EQ(s.statusText + L"|" + s.detailText, row.lines) << what;
    EXPECT_EQ(s.progressPercent, row.progress) << what;
    const bool versionKnown = row.event == CheckNeeded || row.event == UpToDate || row.event == UpdateDone;
    EXPECT_EQ(s.localVersionText, versionKnown ? L"2.0.0" : L"") << what << ": the installed version's line";
  }
}

// The site's links: a web site starts polling the players-online figure at once and every minute; only http://
// and https:// addresses go to the shell.
TEST(StatusPolling, LinksStartPollingOnlyWithAWebSite) {
  UiState s;
  const std::wstring web = L"https://vandrel.example", discord = L"https://discord.example/v", none;
  EXPECT_EQ(OnLauncherLinks(s, nullptr, nullptr).flags, FX_REPAINT) << "no record: nothing but a repaint";
  EXPECT_EQ(OnLauncherLinks(s, &none, &discord).flags | OnStatusTimer(s).flags, FX_REPAINT) << "no web site, no poll";
  EXPECT_EQ(OnLauncherLinks(s, &web, &discord).flags, FX_REPAINT | FX_START_STATUS | FX_STATUS_TIMER);
  EXPECT_EQ(OnStatusTimer(s).flags, FX_START_STATUS);
  EXPECT_EQ(s.websiteUrl + L"|" + s.discordUrl, L"https://vandrel.example|https://discord.example/v");
  for (const wchar_t* link : {L"javascript:x", L"HTTPS://vandrel.example", L"file:///c:/", L""}) {
    EXPECT_FALSE(IsOpenableLink(link)) << "only http:// and https:// go to the shell";
  }
  EXPECT_TRUE(IsOpenableLink(L"https://discord.gg/x") && IsOpenableLink(L"http://vandrel.example"));
}

// Mouse and key sequences, each from a fresh screen with voices at 1: "d" press, "u" release and "m" move at x,y,
// "w" wheel by x, "k" key x. Each "name=value" of the outcome must hold afterwards; a drag always ends with the release.
TEST(InputSequences, EdgeCases) {
  const auto U = UiPhase::UpdateAvailable, R = UiPhase::Ready;
  const int32_t L = CTRL_LANGUAGE, N = CTRL_NONE;
  const struct { const char* what; UiPhase phase; bool panel; int32_t list, scroll; const char *steps, *outcome; } rows[] = {
      {"press on main, release outside", U, false, N, 0, "d700,470 u100,100", "updates=0"},
      {"press outside, release on main", U, false, N, 0, "d100,100 u700,470", "updates=0"},
      {"double click acts once", U, false, N, 0, "d700,470 u700,470 u700,470", "updates=1"},
      {"list open: a press outside it only closes it", U, false, L, 0, "d700,470 u700,470", "updates=0 list=-1"},
      {"a scrolled row picks on release", R, true, L, 1, "d600,130 u600,130", "language=203 list=-1 panel=1"},
      {"wheel stops at row 0", R, true, L, 0, "w120,0", "list=8 scroll=0"},
      {"wheel stops at row 9 of 16", R, true, L, 9, "w-120,0 w-360,0", "scroll=9"},
      {"one row per wheel message", R, true, L, 2, "w-600,0", "scroll=3"},
      {"5 display modes do not scroll", R, true, CTRL_RESOLUTION, 0, "w-120,0", "list=10 scroll=0"},
      {"effects at mid-track snap to 3", R, true, N, 0, "d493,225 u493,225", "voices=3 music=0.300"},
      {"effects past the right end", R, true, N, 0, "d400,225 m900,600 u950,600", "voices=5"},
      {"music past the left end, then to 149/222", R, true, N, 0, "d500,180 m10,180 u10,180 d382,180 m531,180 u531,180",
       "music=0.671 voices=1"},
      {"slider double click moves on the first press only", R, true, N, 0, "d382,225 u382,225 u604,225", "voices=0"},
      {"Escape closes the list first", R, true, L, 0, "k27,0", "list=-1 panel=1"},
      {"a second Escape closes the panel", R, true, L, 0, "k27,0 k27,0", "list=-1 panel=0"},
      {"Enter over the panel does nothing", U, true, N, 0, "k13,0", "updates=0 panel=1"},
  };
  for (const auto& row : rows) {
    UiState s = Screen(row.phase, row.panel, row.list, row.scroll);
    int updates = 0, language = -1, x = 0, y = 0, used = 0;
    char kind = 0;
    for (const char* step = row.steps; std::sscanf(step, " %c%d,%d%n", &kind, &x, &y, &used) == 3; step += used) {
      UiEffects fx;
      if (kind == 'd') fx = OnLeftDown(s, x, y, 1.0);
      if (kind == 'u') fx = OnLeftUp(s, x, y, 1.0);
      if (kind == 'm') fx = OnMouseMove(s, x, y, 1.0);
      if (kind == 'w') fx = OnWheel(s, x);
      if (kind == 'k') fx = OnKeyDown(s, x);
      updates += (fx.flags & FX_START_UPDATE) ? 1 : 0;
      if (fx.flags & FX_CHANGE_LANGUAGE) language = CTRL_LANGUAGE_ROW + fx.language;
    }
    char outcome[160];
    std::snprintf(outcome, sizeof outcome, " updates=%d language=%d list=%d scroll=%d panel=%d music=%.3f voices=%d ",
                  updates, language, s.openList, s.listScroll, s.settingsOpen, s.editedSettings.musicVolume,
                  s.editedSettings.voiceVolume);
    for (const char* want = row.outcome; *want != '\0';) {
      const std::string token(want, std::strcspn(want, " "));
      EXPECT_NE(std::string(outcome).find(" " + token + " "), std::string::npos) << row.what << ": " << outcome;
      want += token.size() + (want[token.size()] == ' ');
    }
    EXPECT_EQ(s.dragSliderId, CTRL_NONE) << row.what << ": the drag must end with the release";
  }
}

TEST(InputSequences, EmptySpaceDragsTheWindowUnlessAListIsOpen) {
  EXPECT_FALSE(IsClientArea(Screen(UiPhase::Ready, false), 100, 100)) << "empty space must move the window";
  EXPECT_TRUE(ShowsHand(Screen(UiPhase::Ready, false), 700, 470)) << "the main button is a button";
  const UiState s = Screen(UiPhase::Ready, true, CTRL_LANGUAGE);
  EXPECT_TRUE(IsClientArea(s, 100, 100)) << "with a list open the press must reach the window to close it";
  EXPECT_FALSE(ShowsHand(s, 300, 300)) << "the panel body is no button";
}

}  // namespace
