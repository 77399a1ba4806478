#include "shell/DebugInfoList.h"

#include <algorithm>

namespace pelto5 {

void TDebugInfoList::Assign(const std::vector<std::string>& items) {
  const int oldTop = FTopIndex;
  const int oldIndex = FItemIndex;
  // Heights are measured again only for rows whose text changed.
  std::vector<int> heights(items.size());
  for (size_t i = 0; i < items.size(); ++i) {
    heights[i] = (i < FItems.size() && FItems[i] == items[i]) ? FHeights[i] : FMeasure(items[i]);
  }
  FItems = items;
  FHeights = std::move(heights);
  const int count = Count();
  FItemIndex = -1;
  FTopIndex = 0;
  if (oldIndex >= 0 && oldIndex < count) {
    Select(oldIndex);
    if (oldTop < count) SetTopIndex(oldTop);
  } else if (count > 0) {
    Select(0);
  }
}

void TDebugInfoList::Select(int index) {
  if (FItems.empty()) return;
  FItemIndex = std::clamp(index, 0, Count() - 1);
  if (FItemIndex < FTopIndex) {
    FTopIndex = FItemIndex;
    return;
  }
  // Scroll down until the selected row is wholly in view (or at the top).
  while (FTopIndex < FItemIndex) {
    int bottom = 0;
    for (int i = FTopIndex; i <= FItemIndex; ++i) bottom += FHeights[i];
    if (bottom <= FViewHeight) break;
    ++FTopIndex;
  }
}

void TDebugInfoList::Scroll(int rows) { SetTopIndex(FTopIndex + rows); }

void TDebugInfoList::SetTopIndex(int index) { FTopIndex = std::clamp(index, 0, MaxTopIndex()); }

int TDebugInfoList::ItemAt(int y) const {
  if (y < 0) return -1;
  int top = 0;
  for (int i = FTopIndex; i < Count(); ++i) {
    if (y < top + FHeights[i]) return i;
    top += FHeights[i];
  }
  return -1;
}

int TDebugInfoList::RowsInView() const {
  int used = 0;
  int rows = 0;
  for (int i = FTopIndex; i < Count() && used + FHeights[i] <= FViewHeight; ++i) {
    used += FHeights[i];
    ++rows;
  }
  return std::max(rows, 1);
}

bool TDebugInfoList::AllFit() const {
  int total = 0;
  for (int h : FHeights) total += h;
  return total <= FViewHeight;
}

int TDebugInfoList::MaxTopIndex() const {
  int used = 0;
  int top = Count();
  while (top > 0 && used + FHeights[top - 1] <= FViewHeight) used += FHeights[--top];
  return std::min(top, std::max(Count() - 1, 0));
}

}  // namespace pelto5
