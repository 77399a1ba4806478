#include "shell/MessageHistory.h"

#include <algorithm>

#include "platform/FontService.h"
#include "base/SjisText.h"

namespace pelto5 {

namespace {

// "あ": the character whose height sets the line pitch.
constexpr const char* kMeasureChar = "\x82\xA0";

TTextTarget TargetOf(TCanvas& canvas) {
  TTextTarget target;
  target.Pixels = canvas.Pixels();
  target.Stride = static_cast<size_t>(canvas.Width());
  target.Width = canvas.Width();
  target.Height = canvas.Height();
  return target;
}

}  // namespace

void DimCanvas(TCanvas& canvas, int left, int top, int width, int height) {
  const int x0 = std::max(left, 0);
  const int x1 = std::min(left + width, canvas.Width());
  const int y0 = std::max(top, 0);
  const int y1 = std::min(top + height, canvas.Height());
  for (int y = y0; y < y1; ++y) {
    uint32_t* row = canvas.Row(y);
    for (int x = x0; x < x1; ++x) {
      const uint32_t p = row[x];
      row[x] = ((p >> 2) & 0x003F3F3Fu) + ((p >> 3) & 0x001F1F1Fu);
    }
  }
}

void DrawShadowedRun(TCanvas& canvas, int x, int y, const std::string& run, TFont font, uint32_t color) {
  if (canvas.Width() <= 0 || canvas.Height() <= 0 || run.empty()) return;
  const TTextTarget target = TargetOf(canvas);
  font.Color = 0;
  FontService().DrawRun(target, x + 1, y + 1, run, font);
  font.Color = color;
  FontService().DrawRun(target, x, y, run, font);
}

std::vector<std::string> TMessageHistory::PlainLines(const std::string& text) {
  std::vector<std::string> lines(1);
  size_t p = 0;
  while (p < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[p]);
    if (sjis::IsLeadByte(c)) {
      const size_t length = sjis::CharLength(text, p);
      lines.back() += text.substr(p, length);
      p += length;
    } else if (c == '#') {
      lines.emplace_back();
      ++p;
    } else if (c == '<') {
      // Tags end as the layout ends them: a ">" right after "<" does not
      // close one, and without any ">" the "<" takes one byte with it.
      const size_t close = p + 2 <= text.size() ? text.find('>', p + 2) : std::string::npos;
      p = close != std::string::npos ? close + 1 : std::min(p + 2, text.size());
    } else {
      if (c >= 0x20) lines.back() += static_cast<char>(c);
      ++p;
    }
  }
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

void TMessageHistory::AddPage(const std::string& markedUpText) {
  std::vector<std::string> lines = PlainLines(markedUpText);
  if (lines.empty()) return;
  FPages.push_back(std::move(lines));
  while (FPages.size() > kMaxPages) FPages.pop_front();
  if (FOpen) Layout();
}

bool TMessageHistory::Open(const TFont& font, int width, int height) {
  if (FPages.empty() || width <= 0 || height <= 0) return false;
  FFont = font;
  FWidth = width;
  FHeight = height;
  FLineHeight = std::max(1, FontService().Measure(kMeasureChar, FFont).Height + kLineSpacing);
  FOffset = 0;
  Layout();
  FOpen = true;
  return true;
}

void TMessageHistory::Layout() {
  FRows.clear();
  const int width = std::max(1, FWidth - 2 * kMarginX);
  for (size_t page = 0; page < FPages.size(); ++page) {
    if (page > 0) FRows.emplace_back();
    for (const std::string& line : FPages[page]) WrapLine(line, width);
  }
  FOffset = std::min(FOffset, std::max(0, static_cast<int>(FRows.size()) - VisibleRows()));
}

void TMessageHistory::WrapLine(const std::string& line, int width) {
  TFontService& fonts = FontService();
  size_t start = 0;
  size_t end = 0;
  if (line.empty()) FRows.emplace_back();
  while (end < line.size()) {
    const size_t next = end + sjis::CharLength(line, end);
    // A character wider than the whole line stays alone on its row.
    if (end > start && fonts.Measure(std::string_view(line).substr(start, next - start), FFont).Width > width) {
      FRows.push_back(line.substr(start, end - start));
      start = end;
    }
    end = next;
  }
  if (end > start) FRows.push_back(line.substr(start, end - start));
}

int TMessageHistory::VisibleRows() const { return std::max(1, (FHeight - 2 * kMarginY) / FLineHeight); }

bool TMessageHistory::Scroll(int lines) {
  if (lines < 0 && FOffset == 0) return false;
  const int maxOffset = std::max(0, static_cast<int>(FRows.size()) - VisibleRows());
  FOffset = std::clamp(FOffset + lines, 0, maxOffset);
  return true;
}

void TMessageHistory::Draw(TCanvas& canvas) const {
  DimCanvas(canvas, 0, 0, canvas.Width(), canvas.Height());
  const int last = static_cast<int>(FRows.size()) - FOffset;
  const int first = std::max(0, last - VisibleRows());
  for (int i = first; i < last; ++i) {
    const int y = FHeight - kMarginY - (last - i) * FLineHeight;
    DrawShadowedRun(canvas, kMarginX, y, FRows[i], FFont, 0x00FFFFFFu);
  }
}

}  // namespace pelto5
