// The part of a surface that changed since it was last shown: a few
// rectangles inside the surface's bounds. Rectangles that overlap or lie
// close together are merged into their bounding rectangle, and past a
// handful of them the region becomes one bounding rectangle, so walking
// the region never costs more than a few passes over what changed.
#pragma once

#include <vector>

#include "base/Rect.h"

namespace pelto5 {

class TDirtyRegion {
 public:
  static constexpr int kMaxRects = 16;

  // The surface's size; the region is emptied.
  void SetBounds(int width, int height);
  TRect Bounds() const { return {0, 0, FWidth, FHeight}; }
  // Adds the part of rect inside the bounds.
  void Add(const TRect& rect);
  void AddRegion(const TDirtyRegion& other);
  // The whole surface.
  void AddAll() { Add(Bounds()); }
  void Clear() { FRects.clear(); }
  [[nodiscard]] bool IsEmpty() const { return FRects.empty(); }
  [[nodiscard]] bool IsFull() const;
  // Disjoint or overlapping rectangles, each inside the bounds.
  const std::vector<TRect>& Rects() const { return FRects; }
  int64_t Area() const;

 private:
  void Insert(TRect rect);

  int FWidth = 0;
  int FHeight = 0;
  std::vector<TRect> FRects;
};

}  // namespace pelto5
