#include "ui/layout.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/utf8.h"
#include "ui/ui_text.h"

namespace {

// Half the font size per character; the plain format pads 2 pixels.
float Measure(const std::wstring& text, float px, bool, MeasureFormat format) {
  return text.size() * px * 0.5f + (format == MeasureFormat::Plain ? 2.0f : 0.0f);
}

std::string BoxText(float left, float top, float width, float height) {
  char text[80];
  std::snprintf(text, sizeof text, "%g %g %g %g", left, top, width, height);
  return text;
}

// The last region of an id, as the window's hit test finds it; or the first element of a look.
std::string RegionOf(const FrameLayout& layout, int id) {
  std::string box = "none";
  for (const HitRegion& r : layout.hitRegions) box = r.id == id ? BoxText(r.left, r.top, r.width, r.height) : box;
  return box;
}

const LayoutElement* Find(const FrameLayout& layout, Look look) {
  for (const LayoutElement& e : layout.elements) if (e.look == look) return &e;
  return nullptr;
}

std::string ElementBox(const FrameLayout& layout, Look look) {
  const LayoutElement* e = Find(layout, look);
  return e ? BoxText(e->rect.left, e->rect.top, e->rect.width, e->rect.height) : "none";
}

class LayoutTest : public ::testing::Test {
 protected:
  void SetUp() override { currentUiLanguage = 1; }  // English: the widths below are of its texts
  void TearDown() override { currentUiLanguage = 0; }
  FrameLayout Lay(double scale = 1.0) { return LayoutFrame(state, scale, Measure, 0); }
  UiState state;
};

// The top bar flows leftwards from 844 around the links that exist; only enabled buttons react.
TEST_F(LayoutTest, MainScreenHitRegions) {
  const struct { double scale; UiPhase phase; bool website, discord; int id; const char* region; } rows[] = {
      {1.5, UiPhase::Ready, true, true, CTRL_CLOSE, "1335 60 45 45"},
      {1.5, UiPhase::Ready, true, true, CTRL_MAIN_BUTTON, "1020 672 360 87"},
      {1.0, UiPhase::Checking, true, true, CTRL_MAIN_BUTTON, "none"},
      {1.0, UiPhase::Ready, true, true, CTRL_DISCORD, "772.5 40 71.5 30"},
      {1.0, UiPhase::Ready, true, true, CTRL_WEBSITE, "693 40 71.5 30"},
      {1.0, UiPhase::Ready, true, false, CTRL_WEBSITE, "772.5 40 71.5 30"},
      {1.0, UiPhase::Ready, true, false, CTRL_DISCORD, "none"},
      {1.0, UiPhase::Ready, false, true, CTRL_WEBSITE, "none"},
      {1.0, UiPhase::Ready, false, false, CTRL_SETTINGS, "748 40 96 30"},
      {1.0, UiPhase::Ready, false, false, CTRL_LANGUAGE, "678 40 62 30"},
      {1.0, UiPhase::CheckFailed, false, false, CTRL_PLAY_WITHOUT_CHECKING, "680 414 240 28"},
      {1.0, UiPhase::UpdateFailed, false, false, CTRL_PLAY_WITHOUT_CHECKING, "none"},
  };
  for (const auto& row : rows) {
    state.phase = row.phase;
    state.websiteUrl = row.website ? L"https://vandrel.example" : L"";
    state.discordUrl = row.discord ? L"https://discord.example" : L"";
    EXPECT_EQ(RegionOf(Lay(row.scale), row.id), row.region) << "id " << row.id << " at " << row.scale;
  }
}

TEST_F(LayoutTest, ProgressFillWidth) {
  const struct { int percent; double scale; float fill; } rows[] = {{150, 1.0, 610}, {0, 1.0, 0}, {1, 1.0, 4.12f}, {50, 2.0, 608}};
  for (const auto& row : rows) {
    state.progressPercent = row.percent;
    EXPECT_NEAR(Find(Lay(row.scale), Look::ProgressBar)->fill, row.fill, 0.001) << row.percent << " %";
  }
}

// A "." every three digits, the singular only for exactly 1; the dot sits 14 left of the measured text, green once
// the site has answered (a new window has no answer yet).
TEST_F(LayoutTest, ServerStatus) {
  const struct { int players; const wchar_t* text; float dotLeft; bool green; } rows[] = {
      {1000, L"1.000 players online", 784, true}, {1234567, L"1.234.567 players online", 760, true},
      {1, L"1 player online", 814, true},         {0, L"0 players online", 808, true},
      {-1, L"Website not responding", 772, false},
  };
  for (const auto& row : rows) {
    state = UiState();
    state.websiteUrl = L"https://vandrel.example";
    if (row.players >= 0) state.playersOnline = row.players;
    const FrameLayout layout = Lay();
    const LayoutElement* dot = Find(layout, Look::StatusDot);
    EXPECT_EQ((dot - 1)->text, row.text);
    EXPECT_FLOAT_EQ(dot->rect.left, row.dotLeft) << row.players;
    EXPECT_EQ(dot->selected, row.green) << row.players;
  }
}

// An open list hangs 2 below its anchor with at most 7 rows of 28; the thumb travels its track.
TEST_F(LayoutTest, OpenLists) {
  const struct { int list, scroll, modes; const char *frame, *firstRow; int firstId; const char* thumb; } rows[] = {
      {CTRL_LANGUAGE, 0, 0, "554 72 186 200", "556 74 182 28", 200, "734 76 3 84"},
      {CTRL_LANGUAGE, 9, 0, "554 72 186 200", "556 74 182 28", 209, "734 184 3 84"},
      {CTRL_LANGUAGE, 20, 0, "554 72 186 200", "556 74 182 28", 209, "734 184 3 84"},  // past the end
      {CTRL_RESOLUTION, 0, 5, "376 119 368 144", "378 121 364 28", 1000, "none"},
      {CTRL_RESOLUTION, 5, 12, "376 119 368 200", "378 121 364 28", 1005, "738 203 3 112"},
  };
  for (const auto& row : rows) {
    state.openList = row.list;
    state.listScroll = row.scroll;
    state.settingsOpen = row.list == CTRL_RESOLUTION;
    state.displayModes.assign(row.modes, DisplayMode{1280, 720, 60});
    const FrameLayout layout = Lay();
    const std::string what = "list " + std::to_string(row.list) + " from row " + std::to_string(row.scroll);
    EXPECT_EQ(ElementBox(layout, Look::ListFrame), row.frame) << what;
    EXPECT_EQ(RegionOf(layout, row.firstId), row.firstRow) << what;
    EXPECT_EQ(ElementBox(layout, Look::ScrollThumb), row.thumb) << what;
  }
}

// Over the panel only its controls and the language button react; a slider's region is its track
// widened by 8 on each side, which the window's drag arithmetic relies on.
TEST_F(LayoutTest, SettingsPanel) {
  state.settingsOpen = true;
  state.editedSettings.musicVolume = 0.555f;
  state.editedSettings.gamma = 2;
  state.editedSettings.shadowLevel = 4;
  state.displayModes = {{1920, 1080, 144}};
  state.currentLanguage = 4;
  const FrameLayout layout = Lay();
  std::vector<int> ids;
  for (const HitRegion& r : layout.hitRegions) ids.push_back(r.id);
  EXPECT_EQ(ids, (std::vector<int>{9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 8}));
  const struct { int id; const char* region; } rows[] = {
      {CTRL_PANEL_BODY, "180 18 600 504"},   {CTRL_RESOLUTION, "376 88 368 29"},
      {CTRL_FULLSCREEN, "560 129 184 29"},   {CTRL_SLIDER_MUSIC, "374 170 238 29"},
      {CTRL_SLIDER_SHADOWS, "374 293 238 29"}, {CTRL_DISTANCE_MEDIUM, "498.667 334 122.667 29"},
      {CTRL_CURSOR_YES, "560 375 184 29"},   {CTRL_CANCEL, "512 456 100 36"},
      {CTRL_SAVE, "620 456 124 36"},
  };
  for (const auto& row : rows) EXPECT_EQ(RegionOf(layout, row.id), row.region) << "id " << row.id;
  // The hints stay clear of the language button, the longest level names have room beside the track, and the
  // language button shows the code of the player's language.
  const struct { std::wstring text; const char* box; } shown[] = {
      {L"1920 \u00D7 1080  \u00B7  144 Hz", "386 88 328 29"}, {L"56 %", "616 170 128 29"},
      {L"Normal", "616 252 128 29"}, {L"All, high quality", "616 293 128 29"},
      {UiText(TXT_SETTINGS_HINT), "216 456 288 18"}, {UiText(TXT_LANGUAGE_HINT), "216 474 288 18"},
      {L"ES", "715.5 40 26 30"},  // the language button names the language
  };
  for (const auto& row : shown) {
    std::string box = "none";
    for (const LayoutElement& e : layout.elements) box = e.text == row.text ? BoxText(e.rect.left, e.rect.top, e.rect.width, e.rect.height) : box;
    EXPECT_EQ(box, row.box) << WideToUtf8(row.text);
  }
}

}  // namespace
