#include "ui/layout.h"

#include <algorithm>
#include <utility>

#include "settings/languages.h"
#include "ui/ui_text.h"

namespace {

constexpr int kListVisibleRows = 7;

// Level names by slider value; a value outside the table shows nothing.
constexpr int kBrightnessNames[] = {TXT_LEVEL_VERY_LOW, TXT_LEVEL_LOW, TXT_LEVEL_NORMAL, TXT_LEVEL_HIGH,
                                    TXT_LEVEL_VERY_HIGH};
constexpr int kShadowNames[] = {TXT_SHADOW_NONE,  TXT_SHADOW_GROUND,  TXT_SHADOW_GROUND_CHAR,
                                TXT_SHADOW_ALL, TXT_SHADOW_ALL_HQ, TXT_SHADOW_MAX};

template <size_t N>
std::wstring LevelName(const int (&keys)[N], int32_t value) {
  if (value < 0 || value >= static_cast<int32_t>(N)) return L"";
  return UiText(keys[value]);
}

std::wstring Percent(int value) { return std::to_wstring(value) + L" %"; }

float Clamp01(float t) { return std::min(1.0f, std::max(0.0f, t)); }

struct Option {
  int textKey;
  int32_t id;
};

// Builds one frame; every public length is in design pixels and becomes client pixels here.
class Builder {
 public:
  Builder(const UiState& state, double scale, const TextMeasurer& measure, float logoAspect)
      : st_(state), s_(static_cast<float>(scale)), measure_(measure), logoAspect_(logoAspect) {}

  FrameLayout Build() {
    MainScreen();
    if (st_.settingsOpen) {
      out_.hitRegions.clear();  // only the panel, the language button and a list react over it
      SettingsPanel();
      LanguageButton();
    }
    OpenList();
    return std::move(out_);
  }

 private:
  RectF R(float left, float top, float width, float height) const {
    return {left * s_, top * s_, width * s_, height * s_};
  }

  LayoutElement& Add(Look look, RectF rect, int32_t id = CTRL_NONE) {
    LayoutElement e;
    e.look = look;
    e.rect = rect;
    e.id = id;
    out_.elements.push_back(std::move(e));
    return out_.elements.back();
  }

  void Hit(int32_t id, RectF r) { out_.hitRegions.push_back({id, r.left, r.top, r.width, r.height}); }

  LayoutElement& Text(RectF rect, std::wstring text, float fontPx, uint32_t color, Align align, bool bold = false) {
    LayoutElement& e = Add(Look::Text, rect);
    e.text = std::move(text);
    e.fontPx = fontPx * s_;
    e.color = color;
    e.align = align;
    e.bold = bold;
    return e;
  }

  float Measure(const std::wstring& text, float fontPx, MeasureFormat format = MeasureFormat::Typographic) const {
    return measure_ ? measure_(text, fontPx * s_, false, format) : 0.0f;
  }

  // A disabled button is never hovered or pressed and cannot be hit.
  LayoutElement& Button(Look look, int32_t id, RectF rect, bool enabled = true) {
    LayoutElement& e = Add(look, rect, id);
    e.enabled = enabled;
    e.hovered = enabled && st_.hoverId == id;
    e.pressed = e.hovered && st_.pressedId == id;
    if (enabled) Hit(id, rect);
    return out_.elements.back();
  }

  void PlainButton(int32_t id, RectF rect, std::wstring text) {
    const bool hovered = Button(Look::PlainButton, id, rect).hovered;
    Text(rect, std::move(text), 13, hovered ? kLight : kGrey, Align::Center);
  }

  void GoldButton(int32_t id, RectF rect, const std::wstring& label, bool enabled) {
    Button(Look::GoldButton, id, rect, enabled);
    LayoutElement& e = Add(Look::LetterSpaced, rect);
    e.text = label;
    e.fontPx = (rect.height > 45 * s_ ? 19 : 14) * s_;
    e.bold = true;
    e.spacing = 3 * s_;
    e.color = enabled ? kGoldLabel : kGoldLabelDisabled;
  }

  // Top bar buttons run leftwards from x = 844, 8 apart.
  RectF NextLeftward(float& right, float width) {
    const RectF rect{right - width, 40 * s_, width, 30 * s_};
    right = rect.left - 8 * s_;
    return rect;
  }

  void MainScreen() {
    if (logoAspect_ > 0) Add(Look::Logo, R(40, 30, 210, 210 * logoAspect_));
    Button(Look::TitleButton, CTRL_CLOSE, R(890, 40, 30, 30));
    Button(Look::TitleButton, CTRL_MINIMIZE, R(852, 40, 30, 30));

    float right = 844 * s_;
    if (!st_.discordUrl.empty()) {
      PlainButton(CTRL_DISCORD, NextLeftward(right, Measure(L"Discord", 13) + 26 * s_), L"Discord");
    }
    if (!st_.websiteUrl.empty()) {
      const std::wstring text = UiText(TXT_WEBSITE);
      PlainButton(CTRL_WEBSITE, NextLeftward(right, Measure(text, 13) + 26 * s_), text);
    }
    const std::wstring settings = UiText(TXT_SETTINGS);
    // The three leading spaces are not measured: the 18 leaves room for the gear.
    const RectF settingsRect = NextLeftward(right, Measure(settings, 13) + (26 + 18) * s_);
    const bool settingsHovered = Button(Look::AccentButton, CTRL_SETTINGS, settingsRect).hovered;
    Text(settingsRect, L"   " + settings, 13, settingsHovered ? kCream : kGold, Align::Center);
    const float gear = 6.5f * s_;
    const float gearX = settingsRect.left + 15 * s_;
    const float gearY = settingsRect.top + settingsRect.height / 2;
    Add(Look::Gear, {gearX - gear, gearY - gear, 2 * gear, 2 * gear}).hovered = settingsHovered;

    languageButton_ = RectF{right - 62 * s_, 40 * s_, 62 * s_, 30 * s_};
    LanguageButton();

    const bool failed = st_.phase == UiPhase::CheckFailed || st_.phase == UiPhase::UpdateFailed;
    Text(R(40, 418, 612, 22), st_.statusText, 14, failed ? kErrorText : kBeige, Align::Near);
    ProgressBar(R(40, 452, 612, 8), st_.progressPercent);
    Text(R(40, 465, 552, 18), st_.detailText, 12, kGrey, Align::Near);
    if (st_.phase == UiPhase::Checking || st_.phase == UiPhase::Downloading || st_.phase == UiPhase::Restarting) {
      Text(R(592, 465, 60, 18), Percent(st_.progressPercent), 12, kGrey, Align::Far);
    }
    const MainButtonLook main = MainButtonFor(st_.phase);
    GoldButton(CTRL_MAIN_BUTTON, R(680, 448, 240, 58), UiText(main.labelKey), main.enabled);
    if (st_.phase == UiPhase::CheckFailed) {
      PlainButton(CTRL_PLAY_WITHOUT_CHECKING, R(680, 414, 240, 28), UiText(TXT_PLAY_WITHOUT_CHECKING));
    }
    std::wstring version = L"Launcher " + st_.launcherVersionText;
    if (!st_.localVersionText.empty()) version += L"  \u00B7  Cliente " + st_.localVersionText;
    Text(R(40, 514, 400, 16), version, 12, kGrey, Align::Near);
    if (!st_.websiteUrl.empty()) ServerStatus();
  }

  void LanguageButton() {
    const RectF r = languageButton_;
    const bool active = st_.hoverId == CTRL_LANGUAGE || st_.openList == CTRL_LANGUAGE;
    Add(Look::LanguageButton, r, CTRL_LANGUAGE).hovered = active;
    const int32_t language = st_.currentLanguage;
    const bool known = language >= 0 && language < kLanguageCount;
    const RectF flag{r.left + 9 * s_, r.top + (r.height - 15 * s_) / 2, 22.5f * s_, 15 * s_};
    if (known) Add(Look::Flag, flag).cell = language;
    std::wstring code = L"--";
    if (known) {
      code.clear();
      for (const char* c = LanguageTable[language].code; *c != '\0'; ++c) {
        code += static_cast<wchar_t>(*c >= 'a' && *c <= 'z' ? *c - 'a' + 'A' : *c);
      }
    }
    Text({flag.Right() + 6 * s_, r.top, 26 * s_, r.height}, code, 12, active ? kCream : kBeige, Align::Near, true);
    Hit(CTRL_LANGUAGE, r);
  }

  void ProgressBar(RectF r, int32_t percent) {
    LayoutElement& e = Add(Look::ProgressBar, r);
    if (percent > 0) {
      const float p = static_cast<float>(std::min(percent, 100));
      e.fill = std::max(2.0f, p * 612 / 100 - 2) * s_;
    }
  }

  void ServerStatus() {
    const std::wstring text = PlayersOnlineText(st_.playersOnline);
    const float w = Measure(text, 12, MeasureFormat::Plain);
    Text(R(660, 514, 260, 16), text, 12, kGrey, Align::Far);
    LayoutElement& dot = Add(Look::StatusDot, {920 * s_ - w - 14 * s_, 518.5f * s_, 7 * s_, 7 * s_});
    dot.inner = {920 * s_ - w - 17 * s_, 515.5f * s_, 13 * s_, 13 * s_};
    dot.selected = st_.playersOnline >= 0;
  }

  void SettingsPanel() {
    Add(Look::Dim, R(0, 0, 960, 540));
    const RectF panel = R(180, 18, 600, 504);
    Add(Look::Panel, panel, CTRL_PANEL_BODY);
    Hit(CTRL_PANEL_BODY, panel);
    LayoutElement& title = Add(Look::LetterSpaced, R(216, 42, 190, 24));
    title.text = UiText(TXT_SETTINGS_TITLE);
    title.fontPx = 15 * s_;
    title.bold = true;
    title.spacing = 2.5f * s_;
    title.color = kGold;
    Add(Look::Line, R(216, 74, 528, 0)).color = 0xFF4A3A10;

    const ClientSettings& cfg = st_.editedSettings;
    const int labels[] = {TXT_RESOLUTION, TXT_MODE,    TXT_MUSIC,         TXT_EFFECTS_VOICES,
                          TXT_BRIGHTNESS, TXT_SHADOWS, TXT_DRAW_DISTANCE, TXT_SOFTWARE_CURSOR};
    for (int row = 0; row < 8; ++row) {
      const float top = 88.0f + 41.0f * row;
      Text(R(216, top, 150, 29), UiText(labels[row]), 14, kBeige, Align::Near);
      const RectF control = R(376, top, 368, 29);
      switch (row) {
        case 0: ResolutionBox(control); break;
        case 1: Segmented(control, {{TXT_WINDOWED, CTRL_WINDOWED}, {TXT_FULLSCREEN, CTRL_FULLSCREEN}},
                          cfg.windowed ? 0 : 1); break;
        case 2: Slider(control, CTRL_SLIDER_MUSIC, cfg.musicVolume,
                       Percent(static_cast<int>(cfg.musicVolume * 100 + 0.5f))); break;
        case 3: Slider(control, CTRL_SLIDER_EFFECTS_VOICES, cfg.voiceVolume / 5.0f, Percent(cfg.voiceVolume * 20)); break;
        case 4: Slider(control, CTRL_SLIDER_BRIGHTNESS, cfg.gamma * 0.25f, LevelName(kBrightnessNames, cfg.gamma)); break;
        case 5: Slider(control, CTRL_SLIDER_SHADOWS, cfg.shadowLevel / 5.0f, LevelName(kShadowNames, cfg.shadowLevel)); break;
        case 6: Segmented(control, {{TXT_DIST_SHORT, CTRL_DISTANCE_SHORT}, {TXT_DIST_MEDIUM, CTRL_DISTANCE_MEDIUM},
                                    {TXT_DIST_LONG, CTRL_DISTANCE_LONG}}, cfg.visibility - 1); break;
        default: Segmented(control, {{TXT_NO, CTRL_CURSOR_NO}, {TXT_YES, CTRL_CURSOR_YES}},
                           cfg.softwareCursor ? 1 : 0); break;
      }
    }

    // The two informative lines sit together left of the buttons: on the title row the hint would lie
    // under the language button, whose place follows the top bar's measured widths.
    Text(R(216, 456, 288, 18), UiText(TXT_SETTINGS_HINT), 12, kGrey, Align::Near);
    Text(R(216, 474, 288, 18), UiText(TXT_LANGUAGE_HINT), 12, kGrey, Align::Near);
    PlainButton(CTRL_CANCEL, R(512, 456, 100, 36), UiText(TXT_CANCEL));
    GoldButton(CTRL_SAVE, R(620, 456, 124, 36), UiText(TXT_SAVE), true);
  }

  void ResolutionBox(RectF r) {
    resolutionBox_ = r;
    Add(Look::ResolutionBox, r, CTRL_RESOLUTION).hovered =
        st_.hoverId == CTRL_RESOLUTION || st_.openList == CTRL_RESOLUTION;
    const auto& modes = st_.displayModes;
    const bool valid = st_.selectedMode >= 0 && st_.selectedMode < static_cast<int32_t>(modes.size());
    Text({r.left + 10 * s_, r.top, r.width - 40 * s_, r.height}, valid ? DisplayModeText(modes[st_.selectedMode]) : L"",
         13, kLight, Align::Near);
    Hit(CTRL_RESOLUTION, r);
  }

  void Segmented(RectF r, std::initializer_list<Option> options, int selected) {
    Add(Look::SegmentedBack, r);
    const int n = static_cast<int>(options.size());
    const float cellWidth = r.width / n;
    int i = 0;
    for (const Option& option : options) {
      const RectF cell{r.left + i * cellWidth, r.top, cellWidth, r.height};
      LayoutElement& e = Add(Look::SegmentCell, cell, option.id);
      e.cell = i;
      e.selected = i == selected;
      e.hovered = !e.selected && st_.hoverId == option.id;
      const uint32_t color = e.selected ? kCream : e.hovered ? kLight : kGrey;
      Text(cell, UiText(option.textKey), 13, color, Align::Center);
      Hit(option.id, cell);
      ++i;
    }
    Add(Look::SegmentedOutline, r);
  }

  void Slider(RectF r, int32_t id, float t, std::wstring value) {
    // The track ends early enough for the longest level names to be read whole beside it.
    const float x0 = r.left + 6 * s_;
    const float x1 = r.Right() - 140 * s_;
    LayoutElement& e = Add(Look::Slider, r, id);
    e.inner = {x0, r.top, x1 - x0, r.height};
    e.fill = Clamp01(t);
    e.hovered = st_.hoverId == id || st_.dragSliderId == id;
    Text({x1 + 12 * s_, r.top, 128 * s_, r.height}, std::move(value), 12, kGrey, Align::Near);
    // The window's drag arithmetic takes the track back as this region less 8 on each side.
    Hit(id, {x0 - 8 * s_, r.top, x1 - x0 + 16 * s_, r.height});
  }

  void OpenList() {
    std::vector<std::wstring> rows;
    int32_t firstId = 0;
    int32_t selected = -1;
    RectF anchor;
    float width = 0;
    float left = 0;
    const bool languages = st_.openList == CTRL_LANGUAGE;
    if (languages) {
      for (const Language& language : LanguageTable) rows.push_back(language.nativeName);
      firstId = CTRL_LANGUAGE_ROW;
      selected = st_.currentLanguage;
      anchor = languageButton_;
      width = 186 * s_;
      left = anchor.Right() - width;
    } else if (st_.openList == CTRL_RESOLUTION && st_.settingsOpen) {
      for (const DisplayMode& mode : st_.displayModes) rows.push_back(DisplayModeText(mode));
      firstId = CTRL_RESOLUTION_ROW;
      selected = st_.selectedMode;
      anchor = resolutionBox_;
      width = anchor.width;
      left = anchor.left;
    }
    const int n = static_cast<int>(rows.size());
    if (n == 0) return;
    const int visible = std::min(n, kListVisibleRows);
    const RectF list{left, anchor.Bottom() + 2 * s_, width, (4 + 28.0f * visible) * s_};
    Add(Look::ListFrame, list);
    // A scroll position the wheel could not have produced still shows whole rows of the list.
    const int scroll = std::max(0, std::min(st_.listScroll, n - visible));
    for (int r = 0; r < visible; ++r) {
      const int k = scroll + r;
      const int32_t id = firstId + k;
      const RectF row{list.left + 2 * s_, list.top + (2 + 28.0f * r) * s_, list.width - 4 * s_, 28 * s_};
      Add(Look::ListRow, row, id).hovered = st_.hoverId == id;
      float textLeft = row.left + 8 * s_;
      if (languages) {
        const RectF flag{row.left + 8 * s_, row.top + 7 * s_, 21 * s_, 14 * s_};
        Add(Look::Flag, flag).cell = k;
        textLeft = flag.Right() + 9 * s_;
      }
      Text({textLeft, row.top, row.Right() - 8 * s_ - textLeft, row.height}, rows[k], 13,
           k == selected ? kCream : kLight, Align::Near);
      Hit(id, row);
    }
    if (n > kListVisibleRows) {
      const float track = list.height - 8 * s_;
      const float thumb = visible * track / n;
      const float y = list.top + 4 * s_ + (track - thumb) * scroll / (n - visible);
      Add(Look::ScrollThumb, {list.Right() - 6 * s_, y, 3 * s_, thumb});
    }
  }

  const UiState& st_;
  const float s_;
  const TextMeasurer& measure_;
  const float logoAspect_;
  RectF languageButton_;
  RectF resolutionBox_;
  FrameLayout out_;
};

}  // namespace

FrameLayout LayoutFrame(const UiState& state, double scale, const TextMeasurer& measure, float logoAspect) {
  return Builder(state, scale, measure, logoAspect).Build();
}

std::wstring GroupThousands(int32_t value) {
  const std::wstring digits = std::to_wstring(value);
  std::wstring out;
  const size_t sign = digits[0] == L'-' ? 1 : 0;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > sign && (digits.size() - i) % 3 == 0) out += L'.';
    out += digits[i];
  }
  return out;
}

std::wstring PlayersOnlineText(int32_t playersOnline) {
  if (playersOnline < 0) return UiText(TXT_WEBSITE_NOT_RESPONDING);
  return GroupThousands(playersOnline) + L" " + UiText(playersOnline == 1 ? TXT_PLAYER_ONLINE : TXT_PLAYERS_ONLINE);
}

std::wstring DisplayModeText(const DisplayMode& mode) {
  return std::to_wstring(mode.width) + L" \u00D7 " + std::to_wstring(mode.height) + L"  \u00B7  " +
         std::to_wstring(mode.frequency) + L" Hz";
}

bool JoinsLetters(const std::wstring& text) {
  return std::any_of(text.begin(), text.end(), [](wchar_t c) { return c >= 0x0600 && c <= 0x06FF; });
}
