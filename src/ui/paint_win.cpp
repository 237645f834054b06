// Stand-in frame until the rendering lands: a black client, the texts as plain GDI lines, and the
// hit regions of the controls at their places.
#include "ui/paint_win.h"

#include <string>

#include "core/process_values_win.h"
#include "settings/languages.h"
#include "ui/ui_state.h"
#include "ui/ui_text.h"

namespace {

constexpr float kTextWidth = 50;  // the stand-in does not measure texts

HitRegion Add(int32_t id, float left, float top, float width, float height) {
  const float s = static_cast<float>(uiScale);
  const HitRegion region = {id, left * s, top * s, width * s, height * s};
  uiState.hitRegions.push_back(region);
  return region;
}

void Text(HDC dc, float x, float y, const std::wstring& text) {
  TextOutW(dc, static_cast<int>(x * uiScale), static_cast<int>(y * uiScale), text.c_str(),
           static_cast<int>(text.size()));
}

void Cells(float top, std::initializer_list<int32_t> ids) {
  const float width = 368.0f / ids.size();
  float left = 376;
  for (int32_t id : ids) Add(id, left, top, width, 29), left += width;
}

void List(HDC dc, float left, float top, float width, int rows, int32_t firstId, const std::wstring* names) {
  for (int r = 0; r < 7 && uiState.listScroll + r < rows; ++r) {
    const int k = uiState.listScroll + r;
    Add(firstId + k, left + 2, top + 2 + 28 * r, width - 4, 28);
    Text(dc, left + 10, top + 8 + 28 * r, names[k]);
  }
}

}  // namespace

void PaintWindow(HDC dc, int clientWidth, int clientHeight) {
  UiState& s = uiState;
  RECT client = {0, 0, clientWidth, clientHeight};
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0xE8, 0xDC, 0xC0));
  s.hitRegions.clear();

  Add(CTRL_CLOSE, 890, 40, 30, 30);
  Add(CTRL_MINIMIZE, 852, 40, 30, 30);
  float right = 844;
  for (int32_t link : {CTRL_DISCORD, CTRL_WEBSITE}) {
    if ((link == CTRL_DISCORD ? s.discordUrl : s.websiteUrl).empty()) continue;
    Add(link, right - kTextWidth - 26, 40, kTextWidth + 26, 30);
    right -= kTextWidth + 26 + 8;
  }
  Add(CTRL_SETTINGS, right - kTextWidth - 44, 40, kTextWidth + 44, 30);
  const float languageLeft = right - kTextWidth - 44 - 8 - 62;
  Add(CTRL_LANGUAGE, languageLeft, 40, 62, 30);
  Text(dc, 760, 48, UiText(TXT_SETTINGS));
  const MainButtonLook look = MainButtonFor(s.phase);
  if (look.enabled) Add(CTRL_MAIN_BUTTON, 680, 448, 240, 58);
  if (s.phase == UiPhase::CheckFailed) Add(CTRL_PLAY_WITHOUT_CHECKING, 680, 414, 240, 28);
  Text(dc, 720, 470, UiText(look.labelKey));
  Text(dc, 40, 418, s.statusText);
  Text(dc, 40, 465, s.detailText);
  Text(dc, 40, 514, L"Launcher " + s.launcherVersionText + L"  Cliente " + s.localVersionText);
  if (!s.websiteUrl.empty()) {
    Text(dc, 660, 514, s.playersOnline < 0 ? std::wstring(UiText(TXT_WEBSITE_NOT_RESPONDING))
                                            : std::to_wstring(s.playersOnline) + L" " + UiText(TXT_PLAYERS_ONLINE));
  }

  if (s.settingsOpen) {
    s.hitRegions.clear();
    Add(CTRL_PANEL_BODY, 180, 18, 600, 504);
    Add(CTRL_RESOLUTION, 376, 88, 368, 29);
    Cells(129, {CTRL_WINDOWED, CTRL_FULLSCREEN});
    for (int i = 0; i < 4; ++i) Add(CTRL_SLIDER_MUSIC + i, 374, 170.0f + 41 * i, 288, 29);
    Cells(334, {CTRL_DISTANCE_SHORT, CTRL_DISTANCE_MEDIUM, CTRL_DISTANCE_LONG});
    Cells(375, {CTRL_CURSOR_NO, CTRL_CURSOR_YES});
    Add(CTRL_CANCEL, 512, 456, 100, 36);
    Add(CTRL_SAVE, 620, 456, 124, 36);
    Add(CTRL_LANGUAGE, languageLeft, 40, 62, 30);
    const int labels[] = {TXT_RESOLUTION, TXT_MODE, TXT_MUSIC, TXT_EFFECTS_VOICES,
                          TXT_BRIGHTNESS, TXT_SHADOWS, TXT_DRAW_DISTANCE, TXT_SOFTWARE_CURSOR};
    for (int row = 0; row < 8; ++row) Text(dc, 216, 95.0f + 41 * row, UiText(labels[row]));
    Text(dc, 216, 40, UiText(TXT_SETTINGS_TITLE));
    Text(dc, 400, 136, UiText(s.editedSettings.windowed ? TXT_WINDOWED : TXT_FULLSCREEN));
    Text(dc, 530, 466, UiText(TXT_CANCEL));
    Text(dc, 640, 466, UiText(TXT_SAVE));
  }

  if (s.openList == CTRL_LANGUAGE) {
    std::wstring names[kLanguageCount];
    for (int i = 0; i < kLanguageCount; ++i) names[i] = LanguageTable[i].nativeName;
    List(dc, languageLeft + 62 - 186, 72, 186, kLanguageCount, CTRL_LANGUAGE_ROW, names);
  } else if (s.openList == CTRL_RESOLUTION) {
    std::vector<std::wstring> names;
    for (const DisplayMode& m : s.displayModes) {
      names.push_back(std::to_wstring(m.width) + L" x " + std::to_wstring(m.height) + L"  " +
                      std::to_wstring(m.frequency) + L" Hz");
    }
    List(dc, 376, 119, 368, static_cast<int>(names.size()), CTRL_RESOLUTION_ROW, names.data());
  }
}

void ReleasePaintCaches() {}
