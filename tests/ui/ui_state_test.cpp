#include "ui/ui_state.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "ui/ui_text.h"

namespace {

// The phase number is what travels in the state and indexes the button table, so each row names
// the number, not the enumerator. Labels are checked as the player reads them, in two columns.
TEST(UiPhaseTable, MainButtonOfEveryPhase) {
  struct Row {
    int phase;
    const wchar_t* spanish;
    const wchar_t* english;
    bool enabled;
  };
  const Row rows[] = {
      {0, L"COMPROBANDO", L"CHECKING", false},  {1, L"ACTUALIZAR", L"UPDATE", true},
      {2, L"DESCARGANDO", L"DOWNLOADING", false}, {3, L"JUGAR", L"PLAY", true},
      {4, L"REINTENTAR", L"RETRY", true},       {5, L"REINTENTAR", L"RETRY", true},
      {6, L"REINICIANDO", L"RESTARTING", false}, {7, L"ABRIENDO", L"STARTING", false},
  };
  static_assert(sizeof rows / sizeof rows[0] == kUiPhaseCount, "one row per phase");
  for (const Row& row : rows) {
    const MainButtonLook look = MainButtonFor(static_cast<UiPhase>(row.phase));
    EXPECT_EQ(std::wstring(UiTextIn(0, look.labelKey)), row.spanish) << "phase " << row.phase;
    EXPECT_EQ(std::wstring(UiTextIn(1, look.labelKey)), row.english) << "phase " << row.phase;
    EXPECT_EQ(look.enabled, row.enabled) << "phase " << row.phase;
  }
  EXPECT_EQ(static_cast<int>(UiPhase::Ready), 3);
  EXPECT_EQ(static_cast<int>(UiPhase::StartingGame), 7);
}

TEST(UiPhaseTable, UnknownPhaseGivesADisabledButton) {
  for (int phase : {-1, 8, 1000}) {
    EXPECT_FALSE(MainButtonFor(static_cast<UiPhase>(phase)).enabled) << phase;
  }
}

// Values the window, rendering and start-up take for granted before anything has happened: -1 is
// "none" for every control id and for the language and player count. The panel's edited values are
// the client settings' own defaults, tested with that record.
TEST(UiStateStart, NothingChosenNothingOpenNothingKnown) {
  const UiState state;
  EXPECT_EQ(state.phase, UiPhase::Checking);
  EXPECT_FALSE(MainButtonFor(state.phase).enabled) << "no click before the first check ends";
  for (int32_t none : {state.playersOnline, state.currentLanguage, state.openList, state.hoverId, state.pressedId,
                       state.dragSliderId}) {
    EXPECT_EQ(none, -1);
  }
  EXPECT_FALSE(state.settingsOpen);
  EXPECT_TRUE(state.websiteUrl.empty() && state.discordUrl.empty()) << "no link buttons before launcher.json";
  EXPECT_TRUE(state.hitRegions.empty()) << "nothing can be hit before the first paint";
}

}  // namespace
