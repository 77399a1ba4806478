// An axis-aligned rectangle of pixels: left and top edge, width and height.
// A width or height of 0 or less is an empty rectangle.
#pragma once

#include <algorithm>
#include <cstdint>

namespace pelto5 {

struct TRect {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;

  [[nodiscard]] bool IsEmpty() const { return Width <= 0 || Height <= 0; }
  int64_t Right() const { return int64_t{Left} + Width; }
  int64_t Bottom() const { return int64_t{Top} + Height; }
  int64_t Area() const { return IsEmpty() ? 0 : int64_t{Width} * Height; }
  [[nodiscard]] bool Contains(const TRect& r) const {
    return !IsEmpty() && r.Left >= Left && r.Top >= Top && r.Right() <= Right() && r.Bottom() <= Bottom();
  }
  bool operator==(const TRect&) const = default;
};

// The part both rectangles cover (empty when they do not meet).
inline TRect IntersectRect(const TRect& a, const TRect& b) {
  if (a.IsEmpty() || b.IsEmpty()) return {};
  const int left = std::max(a.Left, b.Left);
  const int top = std::max(a.Top, b.Top);
  const int64_t right = std::min(a.Right(), b.Right());
  const int64_t bottom = std::min(a.Bottom(), b.Bottom());
  if (right <= left || bottom <= top) return {};
  return {left, top, static_cast<int>(right - left), static_cast<int>(bottom - top)};
}

// The smallest rectangle holding both; an empty one adds nothing. Both are
// taken to lie on one surface, so the sums stay within int.
inline TRect BoundingRect(const TRect& a, const TRect& b) {
  if (a.IsEmpty()) return b;
  if (b.IsEmpty()) return a;
  const int left = std::min(a.Left, b.Left);
  const int top = std::min(a.Top, b.Top);
  const int64_t right = std::max(a.Right(), b.Right());
  const int64_t bottom = std::max(a.Bottom(), b.Bottom());
  return {left, top, static_cast<int>(right - left), static_cast<int>(bottom - top)};
}

}  // namespace pelto5
