// TDynamicLayer: the dynamic layers of one window, in stacking order. The
// chain runs from Newest (topmost) through the Older links down to the
// oldest entry; a new entry always goes on top. The container owns its
// entries, draws them over the frame, hit-tests the pointer to make one
// entry active, hands out the click target of the active entry and runs
// the half-second animation and countdown ticks.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/DirtyRegion.h"

#include "graphics/DynamicLayerList.h"

namespace pelto5 {

class TLasGraphic;

struct TDynamicClick {
  bool Found = false;
  std::string BookName;
  std::string PageName;
  TDynamicPageChange PageChange = TDynamicPageChange::Move;
};

class TDynamicLayer {
 public:
  TDynamicLayer() = default;
  ~TDynamicLayer();
  TDynamicLayer(const TDynamicLayer&) = delete;
  TDynamicLayer& operator=(const TDynamicLayer&) = delete;

  // Links entry above the current Newest; it becomes Newest.
  void Add(std::unique_ptr<TDynamicLayerList> entry);
  // Unlinks and destroys every entry with that attribute; true if any.
  bool RemoveByAttrID(int attrId);
  void Clear();
  // Draws every entry with a picture, oldest first.
  void DrawTo(TLasGraphic& frame);
  // The window's frame keeps what the entries showed on it: adds to region
  // what changed since (the old and the new place of every entry whose
  // look or place changed, the place of every entry removed).
  void AddChangedAreas(const TLasGraphic& frame, TDirtyRegion& region) const;
  // Draws every entry, oldest first, onto the window's frame within rect.
  void DrawWithin(TLasGraphic& frame, const TRect& rect);
  // Remembers what each entry now shows on the window's frame.
  void RememberShown(TLasGraphic& frame);
  // Updates the hover state for a pointer position; true if a look changed.
  bool HitTest(int x, int y, bool waitingForClick);
  // Cursor wish of the topmost active entry; false if none is active.
  [[nodiscard]] bool GetActiveCursor() const;
  // Click target of the topmost active entry (auto-clearing its attribute),
  // then no entry stays active.
  TDynamicClick TakeClick();
  // The entries a click could reach now (as HitTest would let them become
  // active), oldest first: the order they were made in.
  std::vector<const TDynamicLayerList*> Clickable(bool waitingForClick) const;
  // Click target of entry, as if it were the active one (auto-clearing its
  // attribute); nothing found when it is not one of the entries. Then no
  // entry stays active.
  TDynamicClick TakeClickOf(const TDynamicLayerList* entry);
  bool DeactivateAll();
  // One half-second animation tick; true if a look changed.
  [[nodiscard]] bool AnimateStep();
  // Countdown entries follow the remaining wait; true if a look changed.
  [[nodiscard]] bool TimerStep(int remainingSeconds);

  TDynamicLayerList* GetNewest() const { return FNewest; }
  int Count() const;

 private:
  // Unlinks entry from the chain and destroys it; returns its Older.
  TDynamicLayerList* Unlink(TDynamicLayerList* entry);
  TDynamicLayerList* Oldest() const;

  TDynamicLayerList* FNewest = nullptr;
  // Where removed entries showed on the frame, until it is drawn again.
  std::vector<TRect> FRemovedAreas;
};

}  // namespace pelto5
