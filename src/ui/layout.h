#pragma once
// Where everything of one frame goes: every element's rectangle in client pixels, what it draws and
// in which state, and the hit regions in drawing order. Portable: the painter (paint_win.cpp) only
// draws what this says, so geometry and input regions are tested without a window.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ui/ui_state.h"

struct RectF {
  float left = 0;
  float top = 0;
  float width = 0;
  float height = 0;
  float Right() const { return left + width; }
  float Bottom() const { return top + height; }
};

// Palette (ARGB).
constexpr uint32_t kWindowFill = 0xFF08111A;
constexpr uint32_t kGold = 0xFFD4AF37;
constexpr uint32_t kDarkGold = 0xFF8A6A16;
constexpr uint32_t kCream = 0xFFF6E6AE;
constexpr uint32_t kLight = 0xFFE8DCC0;
constexpr uint32_t kBeige = 0xFFC9BF9F;
constexpr uint32_t kGrey = 0xFF8E9AA6;
constexpr uint32_t kSlate = 0xFF4A5866;
constexpr uint32_t kErrorText = 0xFFD98B7C;
constexpr uint32_t kGoldLabel = 0xFF1A1206;
constexpr uint32_t kGoldLabelDisabled = 0xFF1E1C18;

// What the painter draws for an element. Texts are elements of their own (Text, LetterSpaced),
// drawn after the shape they sit on.
enum class Look {
  Logo,          // logoImage scaled into rect
  TitleButton,   // minimize or close glyph, by id
  PlainButton,   // web site, Discord, play without checking, cancel
  AccentButton,  // settings
  Gear,          // centred in rect; its size r is rect.width / 2
  GoldButton,    // main button, save
  LanguageButton,
  Flag,          // sprite cell `cell` into rect; left out when there is no sprite
  Text,
  LetterSpaced,  // each character in its own box, `spacing` apart
  ProgressBar,   // `fill` is the fill width in client pixels, 0 for none
  StatusDot,     // dot in rect; halo in `inner` when `selected` (the site answered)
  Dim,
  Panel,
  Line,          // from (rect.left, rect.top) to (Right, Bottom), colour `color`
  SegmentedBack,
  SegmentCell,   // selected or hovered fill; a divider at its left edge unless `cell` (its index) is 0
  SegmentedOutline,
  Slider,        // track from inner.left to inner.Right() at the rect's vertical centre, fraction `fill`
  ResolutionBox,
  ListFrame,     // shadow, fill and outline of an open list
  ListRow,       // hovered fill
  ScrollThumb,
};

enum class Align { Near, Center, Far };

struct LayoutElement {
  Look look;
  int32_t id = CTRL_NONE;
  RectF rect;
  RectF inner;             // Slider: the track; StatusDot: the halo
  std::wstring text;       // Text, LetterSpaced
  uint32_t color = kGrey;  // text or line colour
  float fontPx = 0;        // client pixels
  bool bold = false;
  Align align = Align::Near;
  float spacing = 0;       // LetterSpaced, client pixels
  float fill = 0;          // ProgressBar: width; Slider: fraction 0 to 1
  int32_t cell = -1;       // Flag: sprite cell; SegmentCell: index in its choice
  bool enabled = true;
  bool hovered = false;    // also: active (language button, resolution box, slider knob)
  bool pressed = false;
  bool selected = false;   // SegmentCell; StatusDot: the site answered
};

struct FrameLayout {
  std::vector<LayoutElement> elements;  // in drawing order
  std::vector<HitRegion> hitRegions;    // in drawing order; the last one hit wins
};

// How a text is measured: GDI+'s generic typographic format with trailing spaces, or the plain
// default format (which pads a little), used for the players-online figure.
enum class MeasureFormat { Typographic, Plain };

// Width in client pixels of a text in the font family at the given pixel size.
using TextMeasurer = std::function<float(const std::wstring& text, float fontPx, bool bold, MeasureFormat format)>;

// Lays out one frame of `state` at `scale` (client pixels per design pixel). logoAspect is the logo
// image's height / width, 0 when there is no logo. Texts come from UiText in the current language.
FrameLayout LayoutFrame(const UiState& state, double scale, const TextMeasurer& measure, float logoAspect);

// 1234567 gives "1.234.567".
std::wstring GroupThousands(int32_t value);

// Text of the server-status area: the figure with its label, or the site's silence.
std::wstring PlayersOnlineText(int32_t playersOnline);

// "1920 × 1080  ·  144 Hz".
std::wstring DisplayModeText(const DisplayMode& mode);

// Arabic letters join their neighbours; drawn one by one they would fall apart.
bool JoinsLetters(const std::wstring& text);
