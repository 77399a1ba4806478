#include "base/DirtyRegion.h"

namespace pelto5 {

namespace {

// Two rectangles are worth one when their bounding rectangle adds little
// to what they cover on their own: a pass over a few more pixels costs less
// than a second pass with its own row set-up.
constexpr int64_t kMergeSlack = 1024;

bool WorthMerging(const TRect& a, const TRect& b) {
  return BoundingRect(a, b).Area() <= a.Area() + b.Area() + kMergeSlack;
}

}  // namespace

void TDirtyRegion::SetBounds(int width, int height) {
  FWidth = width < 0 ? 0 : width;
  FHeight = height < 0 ? 0 : height;
  FRects.clear();
}

bool TDirtyRegion::IsFull() const {
  return FRects.size() == 1 && FRects[0] == Bounds() && !Bounds().IsEmpty();
}

int64_t TDirtyRegion::Area() const {
  int64_t area = 0;
  for (const TRect& r : FRects) area += r.Area();
  return area;
}

void TDirtyRegion::Add(const TRect& rect) {
  const TRect clipped = IntersectRect(rect, Bounds());
  if (!clipped.IsEmpty()) Insert(clipped);
}

void TDirtyRegion::AddRegion(const TDirtyRegion& other) {
  for (const TRect& r : other.FRects) Add(r);
}

void TDirtyRegion::Insert(TRect rect) {
  // A merged rectangle may now be worth merging with another: repeat until
  // none is.
  for (bool merged = true; merged;) {
    merged = false;
    for (size_t i = 0; i < FRects.size(); ++i) {
      if (FRects[i].Contains(rect)) return;
      if (rect.Contains(FRects[i]) || WorthMerging(FRects[i], rect)) {
        rect = BoundingRect(rect, FRects[i]);
        FRects.erase(FRects.begin() + static_cast<std::ptrdiff_t>(i));
        merged = true;
        break;
      }
    }
  }
  if (static_cast<int>(FRects.size()) < kMaxRects) {
    FRects.push_back(rect);
    return;
  }
  for (const TRect& r : FRects) rect = BoundingRect(rect, r);
  FRects.assign(1, rect);
}

}  // namespace pelto5
