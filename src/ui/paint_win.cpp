#include "ui/paint_win.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "core/process_values_win.h"
#include "core/unique_handle_win.h"
#include "ui/ui_state.h"

using namespace Gdiplus;

namespace {

// The back buffer is a DIB section with a GDI+ bitmap over the same memory: GDI+ draws into it and
// one BitBlt puts it on the window, far cheaper than a GDI+ DrawImage to a window's device context.
using UniqueBitmap = UniqueHandle<HBITMAP, &::DeleteObject>;
using UniqueMemoryDc = UniqueHandle<HDC, &::DeleteDC>;

struct BackBuffer {
  int width = 0;
  int height = 0;
  UniqueBitmap dib;
  uint32_t* bits = nullptr;
  std::unique_ptr<Bitmap> view;  // declared after dib: goes first
};

// Kept between paints; everything else is made for one paint.
std::unique_ptr<BackBuffer> backBuffer;
std::vector<uint32_t> backgroundCache;  // the composed background, backgroundWidth x backgroundHeight
int backgroundWidth = 0;
int backgroundHeight = 0;
std::unique_ptr<StringFormat> typographicFormat;

std::unique_ptr<BackBuffer> MakeBackBuffer(int width, int height) {
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};  // top row first
  auto buffer = std::make_unique<BackBuffer>();
  void* bits = nullptr;
  buffer->dib.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!buffer->dib || bits == nullptr) return nullptr;
  buffer->width = width;
  buffer->height = height;
  buffer->bits = static_cast<uint32_t*>(bits);
  buffer->view = std::make_unique<Bitmap>(width, height, width * 4, PixelFormat32bppPARGB, static_cast<BYTE*>(bits));
  if (buffer->view->GetLastStatus() != Ok) return nullptr;
  return buffer;
}

// Back buffer and background cache for the client size, made again when it differs; false when
// the back buffer cannot be made. The background starts every frame as a plain copy.
bool StartFrame(int width, int height) {
  if (!backBuffer || backBuffer->width != width || backBuffer->height != height) {
    backBuffer = MakeBackBuffer(width, height);
    if (!backBuffer) return false;
  }
  if (backgroundWidth != width || backgroundHeight != height) {
    if (!ComposeBackground(width, height, backgroundCache)) {
      backgroundCache.assign(static_cast<size_t>(width) * height, kWindowFill);
    }
    backgroundWidth = width;
    backgroundHeight = height;
  }
  std::memcpy(backBuffer->bits, backgroundCache.data(), backgroundCache.size() * sizeof(uint32_t));
  return true;
}

void CopyToWindow(HDC dc) {
  GdiFlush();
  UniqueMemoryDc source(CreateCompatibleDC(dc));
  if (!source) return;
  HGDIOBJ old = SelectObject(source.get(), backBuffer->dib.get());
  BitBlt(dc, 0, 0, backBuffer->width, backBuffer->height, source.get(), 0, 0, SRCCOPY);
  SelectObject(source.get(), old);
}

// Generic typographic (no padding), trailing spaces measured, centred vertically: for measuring and
// for the letter-spaced labels.
const StringFormat* TypographicFormat() {
  if (!typographicFormat) {
    typographicFormat.reset(StringFormat::GenericTypographic()->Clone());
    if (!typographicFormat) return nullptr;
    typographicFormat->SetFormatFlags(typographicFormat->GetFormatFlags() | StringFormatFlagsMeasureTrailingSpaces);
    typographicFormat->SetLineAlignment(StringAlignmentCenter);
  }
  return typographicFormat.get();
}

Gdiplus::RectF ToGdi(const ::RectF& r) { return Gdiplus::RectF(r.left, r.top, r.width, r.height); }

::RectF Grown(const ::RectF& r, float by) { return {r.left - by, r.top - by, r.width + 2 * by, r.height + 2 * by}; }

// Four quarter arcs from the top-left corner clockwise, closed.
void RoundedRect(GraphicsPath& path, const ::RectF& r, float radius) {
  const float d = 2 * radius;
  path.AddArc(r.left, r.top, d, d, 180, 90);
  path.AddArc(r.Right() - d, r.top, d, d, 270, 90);
  path.AddArc(r.Right() - d, r.Bottom() - d, d, d, 0, 90);
  path.AddArc(r.left, r.Bottom() - d, d, d, 90, 90);
  path.CloseFigure();
}

Color WithAlpha(BYTE alpha, uint32_t rgb) { return Color(alpha, (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

class Painter {
 public:
  Painter(Graphics& graphics, float scale) : g_(graphics), s_(scale) {}

  void Draw(const LayoutElement& e) {
    switch (e.look) {
      case Look::Logo:
        if (logoImage) g_.DrawImage(logoImage.get(), ToGdi(e.rect));
        break;
      case Look::TitleButton: TitleButton(e); break;
      case Look::PlainButton: QuietButton(e, kSlate, kGrey); break;
      case Look::AccentButton: QuietButton(e, kDarkGold, kGold); break;
      case Look::Gear: Gear(e); break;
      case Look::GoldButton: GoldButton(e); break;
      case Look::LanguageButton:
        FillAndOutline(e.rect, 4, e.hovered ? 0x782E2610 : 0x46000000, e.hovered ? kGold : kDarkGold);
        break;
      case Look::Flag:
        if (flagSprite) {
          g_.DrawImage(flagSprite.get(), ToGdi(e.rect), e.cell * 48.0f, 0.0f, 48.0f, 32.0f, UnitPixel);
        }
        break;
      case Look::Text: Text(e); break;
      case Look::LetterSpaced: LetterSpaced(e); break;
      case Look::ProgressBar: ProgressBar(e); break;
      case Look::StatusDot: StatusDot(e); break;
      case Look::Dim: Fill(e.rect, 0x9604080C); break;
      case Look::Panel: Panel(e); break;
      case Look::Line: {
        Pen pen(Color(e.color), s_);
        g_.DrawLine(&pen, e.rect.left, e.rect.top, e.rect.Right(), e.rect.Bottom());
        break;
      }
      case Look::SegmentedBack: FillAndOutline(e.rect, 2, 0x78000000, 0); break;
      case Look::SegmentCell: SegmentCell(e); break;
      case Look::SegmentedOutline: FillAndOutline(e.rect, 2, 0, kDarkGold); break;
      case Look::Slider: Slider(e); break;
      case Look::ResolutionBox: ResolutionBox(e); break;
      case Look::ListFrame:
        Fill({e.rect.left + 2 * s_, e.rect.top + 3 * s_, e.rect.width, e.rect.height}, 0x5A000000);
        FillAndOutline(e.rect, 2, 0xFA060B11, kDarkGold);
        break;
      case Look::ListRow:
        if (e.hovered) Fill(e.rect, 0x50D4AF37);
        break;
      case Look::ScrollThumb: Fill(e.rect, 0xA08A6A16); break;
    }
  }

 private:
  Font* FontOf(float px, bool bold) {
    for (const FontEntry& f : fonts_) {
      if (f.px == px && f.bold == bold) return f.font.get();
    }
    if (!fontFamily) return nullptr;
    fonts_.push_back({px, bold, std::make_unique<Font>(fontFamily.get(), px, bold ? FontStyleBold : FontStyleRegular,
                                                       UnitPixel)});
    return fonts_.back().font.get();
  }

  void Fill(const ::RectF& r, uint32_t argb) {
    SolidBrush brush{Color(argb)};
    g_.FillRectangle(&brush, ToGdi(r));
  }

  // A colour of 0 leaves the fill or the outline out.
  void FillAndOutline(const ::RectF& r, float radius, uint32_t fill, uint32_t outline) {
    GraphicsPath path;
    RoundedRect(path, r, radius * s_);
    if (fill != 0) {
      SolidBrush brush{Color(fill)};
      g_.FillPath(&brush, &path);
    }
    if (outline != 0) {
      Pen pen(Color(outline), s_);
      g_.DrawPath(&pen, &path);
    }
  }

  void TitleButton(const LayoutElement& e) {
    if (e.hovered) FillAndOutline(e.rect, 2, 0x78060A0E, 0);
    Pen pen(Color(e.hovered ? kLight : kGrey), 1.4f * s_);
    const float cx = e.rect.left + e.rect.width / 2, cy = e.rect.top + e.rect.height / 2, h = 5 * s_;
    if (e.id == CTRL_CLOSE) {
      g_.DrawLine(&pen, cx - h, cy - h, cx + h, cy + h);
      g_.DrawLine(&pen, cx - h, cy + h, cx + h, cy - h);
    } else {
      g_.DrawLine(&pen, cx - h, cy + 2 * s_, cx + h, cy + 2 * s_);
    }
  }

  // Plain and accent buttons: a translucent dark body; hovered, the outline takes the text colour.
  void QuietButton(const LayoutElement& e, uint32_t outline, uint32_t text) {
    const BYTE alpha = e.pressed ? 200 : e.hovered ? 170 : 140;
    FillAndOutline(e.rect, 2, WithAlpha(alpha, 0x060A0E).GetValue(), e.hovered ? text : outline);
  }

  void Gear(const LayoutElement& e) {
    const float r = e.rect.width / 2, cx = e.rect.left + r, cy = e.rect.top + r;
    Pen pen(Color(e.hovered ? kCream : kGold), 1.3f * s_);
    g_.DrawEllipse(&pen, cx - 0.45f * r, cy - 0.45f * r, 0.9f * r, 0.9f * r);
    for (int k = 0; k < 8; ++k) {
      const float a = k * 3.14159265f / 4, c = std::cos(a), s = std::sin(a);
      g_.DrawLine(&pen, cx + c * 0.65f * r, cy + s * 0.65f * r, cx + c * r, cy + s * r);
    }
  }

  void GoldButton(const LayoutElement& e) {
    if (e.enabled) {
      for (float grow : {9.0f, 6.0f, 3.0f}) {
        FillAndOutline(Grown(e.rect, grow * s_), 4, WithAlpha(e.hovered ? 0x16 : 0x0E, kGold).GetValue(), 0);
      }
    }
    const Color top(e.enabled ? (e.hovered ? 0xFFFFF2C8 : kCream) : 0xFF5A5442);
    const Color bottom(e.enabled ? (e.pressed ? 0xFF967018 : 0xFFA97E1A) : 0xFF3C3628);
    LinearGradientBrush body(ToGdi(e.rect), top, bottom, LinearGradientModeVertical);
    body.SetWrapMode(WrapModeTileFlipXY);  // no wrapped seam at the bottom edge
    GraphicsPath path;
    RoundedRect(path, e.rect, 2 * s_);
    g_.FillPath(&body, &path);
    Pen pen(Color(e.enabled ? kCream : 0xFF6E6450), s_);
    g_.DrawPath(&pen, &path);
  }

  void Text(const LayoutElement& e) {
    Font* font = FontOf(e.fontPx, e.bold);
    if (font == nullptr || e.text.empty()) return;
    StringFormat format;
    format.SetAlignment(e.align == Align::Near     ? StringAlignmentNear
                        : e.align == Align::Center ? StringAlignmentCenter
                                                   : StringAlignmentFar);
    format.SetLineAlignment(StringAlignmentCenter);
    format.SetFormatFlags(StringFormatFlagsNoWrap);
    format.SetTrimming(StringTrimmingEllipsisCharacter);
    SolidBrush brush{Color(e.color)};
    g_.DrawString(e.text.c_str(), static_cast<INT>(e.text.size()), font, ToGdi(e.rect), &format, &brush);
  }

  // Each character in its own box so that the spacing is exact; a label too wide for its button
  // overflows rather than being cut.
  void LetterSpaced(const LayoutElement& e) {
    Font* font = FontOf(e.fontPx, e.bold);
    const StringFormat* format = TypographicFormat();
    if (font == nullptr || format == nullptr || e.text.empty()) return;
    SolidBrush brush{Color(e.color)};
    if (JoinsLetters(e.text)) {  // drawn whole, so that the letters keep joining
      const float w = MeasureText(g_, e.text, e.fontPx, e.bold, MeasureFormat::Typographic);
      const Gdiplus::RectF box(e.rect.left + (e.rect.width - w) / 2, e.rect.top, w + 4, e.rect.height);
      g_.DrawString(e.text.c_str(), static_cast<INT>(e.text.size()), font, box, format, &brush);
      return;
    }
    std::vector<float> widths;
    float total = e.spacing * (e.text.size() - 1);
    for (wchar_t c : e.text) {
      Gdiplus::RectF bounds;
      g_.MeasureString(&c, 1, font, PointF(0, 0), format, &bounds);
      widths.push_back(bounds.Width);
      total += bounds.Width;
    }
    float x = e.rect.left + (e.rect.width - total) / 2;
    for (size_t i = 0; i < e.text.size(); ++i) {
      g_.DrawString(&e.text[i], 1, font, Gdiplus::RectF(x, e.rect.top, widths[i] + 4, e.rect.height), format, &brush);
      x += widths[i] + e.spacing;
    }
  }

  void ProgressBar(const LayoutElement& e) {
    const ::RectF& r = e.rect;
    FillAndOutline(r, 1, 0x8C000000, 0);
    if (e.fill > 0) {
      const ::RectF bar{r.left + s_, r.top + s_, e.fill, r.height - 2 * s_};
      // The gradient ends one client pixel beyond the fill, so its last column is nearly cream.
      LinearGradientBrush gradient(Gdiplus::RectF(bar.left, bar.top, bar.width + 1, bar.height), Color(kDarkGold),
                                   Color(kCream), LinearGradientModeHorizontal);
      gradient.SetWrapMode(WrapModeTileFlipXY);
      g_.FillRectangle(&gradient, ToGdi(bar));
      Fill({bar.left, r.top - s_, e.fill, r.height + 2 * s_}, 0x3CD4AF37);
    }
    FillAndOutline(r, 1, 0, 0xFF6A5418);
  }

  void StatusDot(const LayoutElement& e) {
    SolidBrush dot{Color(e.selected ? 0xFF7FB069 : kSlate)};
    g_.FillEllipse(&dot, ToGdi(e.rect));
    if (e.selected) {
      SolidBrush halo{Color(0x467FB069)};
      g_.FillEllipse(&halo, ToGdi(e.inner));
    }
  }

  void Panel(const LayoutElement& e) {
    FillAndOutline(e.rect, 3, 0xEC0A1118, 0xFF7A5A12);
    FillAndOutline(Grown(e.rect, -s_), 2, 0, 0x1EF6E6AE);
    SolidBrush gold{Color(kGold)};
    const float d = 7 * s_, y = 270 * s_ - d / 2;
    g_.FillEllipse(&gold, e.rect.left - d / 2, y, d, d);
    g_.FillEllipse(&gold, e.rect.Right() - d / 2, y, d, d);
  }

  void SegmentCell(const LayoutElement& e) {
    if (e.selected || e.hovered) Fill(Grown(e.rect, -s_), e.selected ? 0xFF3A2C0C : 0x3CD4AF37);
    if (e.cell > 0) {
      Pen pen(Color(0xFF3A2C0C), s_);
      g_.DrawLine(&pen, e.rect.left, e.rect.top + 4 * s_, e.rect.left, e.rect.Bottom() - 4 * s_);
    }
  }

  void Slider(const LayoutElement& e) {
    const float x0 = e.inner.left, x1 = e.inner.Right(), cy = e.rect.top + e.rect.height / 2;
    const float knobX = x0 + (x1 - x0) * e.fill;
    Pen track(Color(kSlate), 2 * s_);
    g_.DrawLine(&track, x0, cy, x1, cy);
    if (knobX > x0) {
      Pen filled(Color(kGold), 2 * s_);
      g_.DrawLine(&filled, x0, cy, knobX, cy);
    }
    const float r = (e.hovered ? 7 : 6) * s_;
    SolidBrush knob{Color(e.hovered ? kCream : kGold)};
    g_.FillEllipse(&knob, knobX - r, cy - r, 2 * r, 2 * r);
    Pen outline(Color(kDarkGold), s_);
    g_.DrawEllipse(&outline, knobX - r, cy - r, 2 * r, 2 * r);
  }

  void ResolutionBox(const LayoutElement& e) {
    FillAndOutline(e.rect, 2, 0x78000000, e.hovered ? kGold : kDarkGold);
    const float cx = e.rect.Right() - 18 * s_, cy = e.rect.top + e.rect.height / 2;
    const PointF chevron[] = {PointF(cx - 4 * s_, cy - 2 * s_), PointF(cx, cy + 2 * s_), PointF(cx + 4 * s_, cy - 2 * s_)};
    Pen pen(Color(kGold), 1.4f * s_);
    g_.DrawLines(&pen, chevron, 3);
  }

  struct FontEntry {
    float px;
    bool bold;
    std::unique_ptr<Font> font;
  };

  Graphics& g_;
  const float s_;
  std::vector<FontEntry> fonts_;
};

}  // namespace

float MeasureText(Graphics& graphics, const std::wstring& text, float fontPx, bool bold, MeasureFormat format) {
  if (!fontFamily || text.empty()) return 0;
  Font font(fontFamily.get(), fontPx, bold ? FontStyleBold : FontStyleRegular, UnitPixel);
  Gdiplus::RectF bounds;
  if (format == MeasureFormat::Typographic) {
    const StringFormat* typographic = TypographicFormat();
    if (typographic == nullptr) return 0;
    graphics.MeasureString(text.c_str(), static_cast<INT>(text.size()), &font, PointF(0, 0), typographic, &bounds);
  } else {
    StringFormat plain;
    plain.SetFormatFlags(StringFormatFlagsNoWrap);
    graphics.MeasureString(text.c_str(), static_cast<INT>(text.size()), &font, Gdiplus::RectF(0, 0, 4000, 100), &plain,
                           &bounds);
  }
  return bounds.Width;
}

bool ComposeBackground(int width, int height, std::vector<uint32_t>& pixels) {
  pixels.assign(static_cast<size_t>(width) * height, 0);
  Bitmap bitmap(width, height, width * 4, PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(pixels.data()));
  if (bitmap.GetLastStatus() != Ok) return false;
  Graphics g(&bitmap);
  const Gdiplus::RectF all(0, 0, static_cast<REAL>(width), static_cast<REAL>(height));
  SolidBrush fill{Color(kWindowFill)};
  g.FillRectangle(&fill, all);
  if (backgroundImage) {
    g.SetInterpolationMode(InterpolationModeHighQualityBicubic);
    g.SetPixelOffsetMode(PixelOffsetModeHalf);
    ImageAttributes edges;
    edges.SetWrapMode(WrapModeTileFlipXY);  // the filter reads mirrored pixels at the edges, not transparent ones
    g.DrawImage(backgroundImage.get(), all, 0, 0, static_cast<REAL>(backgroundImage->GetWidth()),
                static_cast<REAL>(backgroundImage->GetHeight()), UnitPixel, &edges);
  }
  // Slightly darker at the top, untouched at 30 %, strongly darker towards the bottom.
  const Color colors[] = {WithAlpha(0x26, kWindowFill), WithAlpha(0x00, kWindowFill), WithAlpha(0x96, kWindowFill),
                          WithAlpha(0xEE, kWindowFill)};
  const REAL positions[] = {0.0f, 0.3f, 0.7f, 1.0f};
  LinearGradientBrush gradient(PointF(0, 0), PointF(0, static_cast<REAL>(height)), colors[0], colors[3]);
  gradient.SetInterpolationColors(colors, positions, 4);
  gradient.SetWrapMode(WrapModeTileFlipXY);
  g.FillRectangle(&gradient, all);
  return g.GetLastStatus() == Ok;
}

const uint32_t* RenderFrame(int clientWidth, int clientHeight) {
  if (clientWidth <= 0 || clientHeight <= 0 || !StartFrame(clientWidth, clientHeight)) return nullptr;
  Graphics g(backBuffer->view.get());
  g.SetSmoothingMode(SmoothingModeHighQuality);
  g.SetInterpolationMode(InterpolationModeHighQualityBicubic);
  g.SetPixelOffsetMode(PixelOffsetModeHalf);
  g.SetTextRenderingHint(TextRenderingHintAntiAlias);
  uiState.hitRegions.clear();

  const float logoAspect =
      logoImage && logoImage->GetWidth() > 0 ? static_cast<float>(logoImage->GetHeight()) / logoImage->GetWidth() : 0;
  const TextMeasurer measure = [&g](const std::wstring& text, float px, bool bold, MeasureFormat format) {
    return MeasureText(g, text, px, bold, format);
  };
  FrameLayout layout = LayoutFrame(uiState, uiScale, measure, logoAspect);
  Painter painter(g, static_cast<float>(uiScale));
  for (const LayoutElement& element : layout.elements) painter.Draw(element);
  uiState.hitRegions = std::move(layout.hitRegions);

  Pen border(Color(0x46D4AF37), 1);  // one client pixel at every scale
  g.DrawRectangle(&border, 0.0f, 0.0f, clientWidth - 1.0f, clientHeight - 1.0f);
  g.Flush(FlushIntentionSync);
  return backBuffer->bits;
}

void PaintWindow(HDC dc, int clientWidth, int clientHeight) {
  if (RenderFrame(clientWidth, clientHeight) != nullptr) CopyToWindow(dc);
}

void PaintBackgroundOnly(HDC dc, int clientWidth, int clientHeight) {
  if (clientWidth > 0 && clientHeight > 0 && StartFrame(clientWidth, clientHeight)) CopyToWindow(dc);
}

void ShutDownGraphics(ULONG_PTR gdiplusToken) {
  ReleasePaintCaches();
  backgroundImage.reset();
  logoImage.reset();
  flagSprite.reset();
  fontFamily.reset();
  GdiplusShutdown(gdiplusToken);
}

void ReleasePaintCaches() {
  backBuffer.reset();
  backgroundCache.clear();
  backgroundCache.shrink_to_fit();
  backgroundWidth = backgroundHeight = 0;
  typographicFormat.reset();
}
