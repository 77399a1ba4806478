// The message pages the reader has been shown in this run, and the view
// that lets them be read again: plain text lines, the newest page at the
// bottom, drawn over a dimmed copy of the window's picture. The history
// lives only as long as the run; it is never saved.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "platform/Canvas.h"
#include "platform/Font.h"

namespace pelto5 {

class TMessageHistory {
 public:
  static constexpr size_t kMaxPages = 200;
  static constexpr int kMarginX = 24;
  static constexpr int kMarginY = 16;
  static constexpr int kLineSpacing = 2;

  // Keeps a shown page given as marked-up message text; a page without any
  // text is not kept, and past kMaxPages the oldest page goes.
  void AddPage(const std::string& markedUpText);
  size_t PageCount() const { return FPages.size(); }
  // The page's text lines as the reader saw them (markup removed).
  const std::vector<std::string>& PageLines(size_t index) const { return FPages[index]; }
  // Message markup turned into plain lines: tags removed, "#" breaks the
  // line, double-byte characters kept whole.
  static std::vector<std::string> PlainLines(const std::string& markedUpText);

  // --- The view ------------------------------------------------------------
  // Opens the view for a window of the given size, the newest page at the
  // bottom; false when there is nothing to show.
  [[nodiscard]] bool Open(const TFont& font, int width, int height);
  void Close() { FOpen = false; }
  [[nodiscard]] bool IsOpen() const { return FOpen; }
  // Scrolls by lines, positive towards older pages. False when asked to
  // scroll past the newest line (the view then wants to close).
  [[nodiscard]] bool Scroll(int lines);
  // Lines that fit on one screen.
  int VisibleRows() const;
  // The lines at the bottom of the view that are hidden below it.
  int Offset() const { return FOffset; }
  int LineHeight() const { return FLineHeight; }
  // Dims the canvas and draws the visible lines onto it.
  void Draw(TCanvas& canvas) const;

 private:
  void Layout();
  void WrapLine(const std::string& line, int width);

  std::deque<std::vector<std::string>> FPages;
  bool FOpen = false;
  TFont FFont;
  int FWidth = 0;
  int FHeight = 0;
  int FLineHeight = 1;
  int FOffset = 0;
  std::vector<std::string> FRows;  // wrapped lines of all pages, "" between pages
};

// Darkens every pixel of the rectangle to 3/8 of its brightness.
void DimCanvas(TCanvas& canvas, int left, int top, int width, int height);
// Draws a run in the colour (0x00RRGGBB) with a one-pixel black shadow.
void DrawShadowedRun(TCanvas& canvas, int x, int y, const std::string& run, TFont font, uint32_t color);

}  // namespace pelto5
