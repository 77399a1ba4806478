#include "platform/sdl/DialogDrawing.h"

#include <algorithm>

#include "base/SjisText.h"
#include "platform/FontService.h"

namespace pelto5::dialog {

namespace {

constexpr uint32_t kButtonFace = 0xE1E1E1;
constexpr uint32_t kButtonPressedFace = 0xCCE4F7;
constexpr uint32_t kButtonFrame = 0xADADAD;
constexpr uint32_t kHighlightedButtonFrame = 0x0078D7;

TRect CanvasRect(const TCanvas& canvas) { return {0, 0, canvas.Width(), canvas.Height()}; }

}  // namespace

TFont DialogFont() {
  TFont font;
  font.Size = kFontSize;
  font.Color = kTextColor;
  return font;
}

int LineHeight(const TFont& font) { return std::max(FontService().Measure("A", font).Height, FontEmPixels(font.Size)); }

TRect Intersect(const TRect& a, const TRect& b) {
  const int x0 = std::max(a.X, b.X);
  const int y0 = std::max(a.Y, b.Y);
  const int x1 = std::min(a.X + a.W, b.X + b.W);
  const int y1 = std::min(a.Y + a.H, b.Y + b.H);
  if (x1 <= x0 || y1 <= y0) return {};
  return {x0, y0, x1 - x0, y1 - y0};
}

void FillRect(TCanvas& canvas, const TRect& rect, uint32_t color) {
  const TRect r = Intersect(rect, CanvasRect(canvas));
  for (int y = r.Y; y < r.Y + r.H; ++y) std::fill_n(canvas.Row(y) + r.X, r.W, color);
}

void FrameRect(TCanvas& canvas, const TRect& rect, uint32_t color, int thickness) {
  for (int t = 0; t < thickness; ++t) {
    const TRect r{rect.X + t, rect.Y + t, rect.W - 2 * t, rect.H - 2 * t};
    if (r.W <= 0 || r.H <= 0) return;
    FillRect(canvas, {r.X, r.Y, r.W, 1}, color);
    FillRect(canvas, {r.X, r.Y + r.H - 1, r.W, 1}, color);
    FillRect(canvas, {r.X, r.Y, 1, r.H}, color);
    FillRect(canvas, {r.X + r.W - 1, r.Y, 1, r.H}, color);
  }
}

void DrawText(TCanvas& canvas, const TRect& clip, int x, int y, std::string_view text, const TFont& font) {
  const TRect r = Intersect(clip, CanvasRect(canvas));
  if (r.W <= 0 || r.H <= 0 || text.empty()) return;
  TTextTarget target;
  target.Pixels = canvas.Row(r.Y) + r.X;
  target.Stride = static_cast<size_t>(canvas.Width());
  target.Width = r.W;
  target.Height = r.H;
  FontService().DrawRun(target, x - r.X, y - r.Y, text, font);
}

int TextWidth(std::string_view text, const TFont& font) {
  return text.empty() ? 0 : FontService().Measure(text, font).Width;
}

void DrawButton(TCanvas& canvas, const TRect& rect, std::string_view label, const TFont& font, bool highlighted,
                bool pressed) {
  FillRect(canvas, rect, pressed ? kButtonPressedFace : kButtonFace);
  FrameRect(canvas, rect, highlighted ? kHighlightedButtonFrame : kButtonFrame, highlighted ? 2 : 1);
  const int x = rect.X + (rect.W - TextWidth(label, font)) / 2;
  const int y = rect.Y + (rect.H - LineHeight(font)) / 2;
  DrawText(canvas, rect, x, y, label, font);
}

int ButtonWidth(std::string_view label, const TFont& font) {
  return std::max(kMinimumButtonWidth, TextWidth(label, font) + 20);
}

std::vector<std::string> WrapText(std::string_view text, const TFont& font, int width, size_t maxLines) {
  std::vector<std::string> lines;
  std::string line;
  int lineWidth = 0;
  auto flush = [&] {
    lines.push_back(line);
    line.clear();
    lineWidth = 0;
  };
  // Widths are summed character by character: a long text costs no more
  // than its length, and what lies past the last line shown is not looked at.
  for (size_t pos = 0; pos < text.size() && lines.size() < maxLines;) {
    const size_t length = sjis::CharLength(text, pos);
    const std::string_view ch(text.data() + pos, length);
    pos += length;
    if (ch == "\r" || ch == "\n") {
      flush();
      // CR LF is one break.
      if (ch == "\r" && pos < text.size() && text[pos] == '\n') ++pos;
      continue;
    }
    if (static_cast<unsigned char>(ch[0]) < 0x20) continue;
    const int chWidth = TextWidth(ch, font);
    if (!line.empty() && lineWidth + chWidth > width) flush();
    if (lines.size() >= maxLines) break;
    line += ch;
    lineWidth += chWidth;
  }
  if (!line.empty() && lines.size() < maxLines) flush();
  return lines;
}

}  // namespace pelto5::dialog
