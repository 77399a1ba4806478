// What the backend's own dialogs (the text-input dialog and the message
// box) draw with: rectangles, frames, text runs in the player's own fonts,
// buttons, and text wrapped to a width. All texts are Shift-JIS; positions
// are canvas pixels and everything is clipped to the canvas.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Canvas.h"
#include "platform/Font.h"

namespace pelto5::dialog {

struct TRect {
  int X = 0;
  int Y = 0;
  int W = 0;
  int H = 0;
  [[nodiscard]] bool Contains(int x, int y) const { return x >= X && y >= Y && x < X + W && y < Y + H; }
};

// Colours of the canvas (0xXXRRGGBB).
inline constexpr uint32_t kPanelFace = 0xF0F0F0;
inline constexpr uint32_t kPanelFrame = 0x3C3C3C;
inline constexpr uint32_t kTitleFace = 0x1F4E8C;
inline constexpr uint32_t kInk = 0x000000;
// Font colours (0x00BBGGRR).
inline constexpr uint32_t kTextColor = 0x000000;
inline constexpr uint32_t kTitleTextColor = 0xFFFFFF;
// The dialogs' text: the default face at 10 points.
inline constexpr int kFontSize = 10;
inline constexpr int kMinimumButtonWidth = 75;

// The dialogs' font (the default face, black).
TFont DialogFont();
// Height of a line of text in font: at least its em.
int LineHeight(const TFont& font);

TRect Intersect(const TRect& a, const TRect& b);
void FillRect(TCanvas& canvas, const TRect& rect, uint32_t color);
void FrameRect(TCanvas& canvas, const TRect& rect, uint32_t color, int thickness = 1);
// Draws text with its cell's top-left corner at (x, y), showing only what
// falls inside clip.
void DrawText(TCanvas& canvas, const TRect& clip, int x, int y, std::string_view text, const TFont& font);
int TextWidth(std::string_view text, const TFont& font);
// A push button with its label centred: highlighted is the framed
// (default or focused) look, pressed the look while the mouse holds it.
void DrawButton(TCanvas& canvas, const TRect& rect, std::string_view label, const TFont& font, bool highlighted,
                bool pressed);
// Width of a button for label: the label with room around it, at least
// kMinimumButtonWidth.
int ButtonWidth(std::string_view label, const TFont& font);
// text broken into lines at CR, LF and CR LF, and where a line would grow
// wider than width; control characters are dropped. At most maxLines lines.
std::vector<std::string> WrapText(std::string_view text, const TFont& font, int width, size_t maxLines);

}  // namespace pelto5::dialog
