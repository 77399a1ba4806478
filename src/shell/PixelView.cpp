#include "shell/PixelView.h"

#include <algorithm>

namespace pelto5 {

TPixelView TPixelView::Of(TCanvas& canvas, int x, int y, int width, int height) {
  TPixelView whole;
  whole.Pixels = canvas.Pixels();
  whole.Stride = canvas.Width();
  whole.Width = canvas.Width();
  whole.Height = canvas.Height();
  return whole.Sub(x, y, width, height);
}

TPixelView TPixelView::Sub(int x, int y, int width, int height) const {
  TPixelView view;
  view.Stride = Stride;
  const int left = std::clamp(x, 0, Width);
  const int top = std::clamp(y, 0, Height);
  const int right = std::clamp(x + std::max(width, 0), left, Width);
  const int bottom = std::clamp(y + std::max(height, 0), top, Height);
  view.Width = right - left;
  view.Height = bottom - top;
  if (Pixels && view.Width > 0 && view.Height > 0) {
    view.Pixels = Pixels + static_cast<size_t>(top) * Stride + left;
  } else {
    view.Width = view.Height = 0;
  }
  return view;
}

void TPixelView::FillRect(int x, int y, int width, int height, uint32_t color) const {
  const TPixelView area = Sub(x, y, width, height);
  for (int row = 0; row < area.Height; ++row) {
    std::fill_n(area.Pixels + static_cast<size_t>(row) * Stride, area.Width, color);
  }
}

void TPixelView::FrameRect(int x, int y, int width, int height, uint32_t color) const {
  if (width <= 0 || height <= 0) return;
  HorzLine(x, y, width, color);
  HorzLine(x, y + height - 1, width, color);
  VertLine(x, y, height, color);
  VertLine(x + width - 1, y, height, color);
}

void TPixelView::DrawText(int x, int y, std::string_view text, const TFont& font) const {
  if (!Pixels || text.empty()) return;
  TTextTarget target;
  target.Pixels = Pixels;
  target.Stride = static_cast<size_t>(Stride);
  target.Width = Width;
  target.Height = Height;
  FontService().DrawRun(target, x, y, text, font);
}

}  // namespace pelto5
