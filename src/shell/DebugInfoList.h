// The item list of the debug information window as a list box keeps it:
// the items, each one's height, the selected item and the first item shown,
// and the moves that the mouse wheel and the arrow keys make.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace pelto5 {

class TDebugInfoList {
 public:
  // Measures an item's row height; called only for items that changed.
  using TMeasure = std::function<int(const std::string& item)>;

  explicit TDebugInfoList(TMeasure measure) : FMeasure(std::move(measure)) {}

  // Replaces the items, keeping the selection and the first item shown
  // where they still exist; else the first item is selected.
  void Assign(const std::vector<std::string>& items);
  void SetViewHeight(int height) { FViewHeight = height; }

  int Count() const { return static_cast<int>(FItems.size()); }
  const std::string& Item(int index) const { return FItems[index]; }
  int ItemHeight(int index) const { return FHeights[index]; }
  int ItemIndex() const { return FItemIndex; }
  int TopIndex() const { return FTopIndex; }

  // Selects index (clamped) and scrolls it into view.
  void Select(int index);
  // Scrolls by rows (negative: up), within the rows there are.
  void Scroll(int rows);
  void SetTopIndex(int index);
  // The item at y pixels below the top of the view, or -1.
  int ItemAt(int y) const;
  // Items that fit in the view from the top index on (at least 1).
  int RowsInView() const;
  // True when all items fit in the view.
  [[nodiscard]] bool AllFit() const;
  // The largest top index that still fills the view.
  int MaxTopIndex() const;

 private:
  TMeasure FMeasure;
  std::vector<std::string> FItems;
  std::vector<int> FHeights;
  int FItemIndex = -1;
  int FTopIndex = 0;
  int FViewHeight = 0;
};

}  // namespace pelto5
