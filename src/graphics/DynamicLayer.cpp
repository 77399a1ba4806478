#include "graphics/DynamicLayer.h"

#include "graphics/LasGraphic.h"

namespace pelto5 {

TDynamicLayer::~TDynamicLayer() { Clear(); }

void TDynamicLayer::Add(std::unique_ptr<TDynamicLayerList> entry) {
  if (!entry) return;
  TDynamicLayerList* added = entry.release();
  added->Newer = nullptr;
  added->Older = FNewest;
  if (FNewest != nullptr) FNewest->Newer = added;
  FNewest = added;
}

TDynamicLayerList* TDynamicLayer::Unlink(TDynamicLayerList* entry) {
  TDynamicLayerList* older = entry->Older;
  if (entry->Newer != nullptr) {
    entry->Newer->Older = older;
  } else {
    FNewest = older;
  }
  if (older != nullptr) older->Newer = entry->Newer;
  if (entry->Shown.Shown) {
    // Many removals between two frames make one area.
    constexpr size_t kMaxRemovedAreas = 16;
    if (FRemovedAreas.size() < kMaxRemovedAreas) {
      FRemovedAreas.push_back(entry->Shown.Area);
    } else {
      FRemovedAreas.back() = BoundingRect(FRemovedAreas.back(), entry->Shown.Area);
    }
  }
  delete entry;
  return older;
}

bool TDynamicLayer::RemoveByAttrID(int attrId) {
  bool removed = false;
  TDynamicLayerList* entry = FNewest;
  while (entry != nullptr) {
    if (entry->AttrID == attrId) {
      entry = Unlink(entry);
      removed = true;
    } else {
      entry = entry->Older;
    }
  }
  return removed;
}

void TDynamicLayer::Clear() {
  while (FNewest != nullptr) Unlink(FNewest);
}

TDynamicLayerList* TDynamicLayer::Oldest() const {
  TDynamicLayerList* entry = FNewest;
  while (entry != nullptr && entry->Older != nullptr) entry = entry->Older;
  return entry;
}

int TDynamicLayer::Count() const {
  int count = 0;
  for (const TDynamicLayerList* e = FNewest; e != nullptr; e = e->Older) ++count;
  return count;
}

void TDynamicLayer::DrawTo(TLasGraphic& frame) {
  for (TDynamicLayerList* e = Oldest(); e != nullptr; e = e->Newer) e->DrawTo(frame);
}

void TDynamicLayer::AddChangedAreas(const TLasGraphic& frame, TDirtyRegion& region) const {
  for (const TRect& area : FRemovedAreas) region.Add(area);
  for (const TDynamicLayerList* e = FNewest; e != nullptr; e = e->Older) {
    const TDynamicPlacement now = e->Placement(frame);
    if (now == e->Shown) continue;
    if (e->Shown.Shown) region.Add(e->Shown.Area);
    if (now.Shown) region.Add(now.Area);
  }
}

void TDynamicLayer::DrawWithin(TLasGraphic& frame, const TRect& rect) {
  for (TDynamicLayerList* e = Oldest(); e != nullptr; e = e->Newer) e->DrawTo(frame, rect);
}

void TDynamicLayer::RememberShown(TLasGraphic& frame) {
  FRemovedAreas.clear();
  for (TDynamicLayerList* e = FNewest; e != nullptr; e = e->Older) {
    // Drawing within nothing settles the frame numbers of entries outside
    // every drawn rectangle too, and changes no pixel.
    e->DrawTo(frame, TRect{});
    e->Shown = e->Placement(frame);
  }
}

bool TDynamicLayer::HitTest(int x, int y, bool waitingForClick) {
  bool changed = false;
  TDynamicLayerList* e = FNewest;
  for (; e != nullptr; e = e->Older) {
    if (e->HitsPoint(x, y)) break;
    if (e->Status == TDynamicStatus::Active) {
      e->Status = TDynamicStatus::Idle;
      e->Changed = true;
      changed = true;
    }
  }
  if (e == nullptr) return changed;

  // e is hit: it may become active, and it shadows every entry below.
  if (e->Status == TDynamicStatus::Idle &&
      (waitingForClick || e->ActiveMode == TDynamicActiveMode::Always)) {
    e->Status = TDynamicStatus::Active;
    if (e->AnimeType == TDynamicAnimeType::Once && e->AnimeCount > 1) e->AnimeIndex = 1;
    e->Changed = true;
    changed = true;
  }
  for (TDynamicLayerList* below = e->Older; below != nullptr; below = below->Older) {
    if (below->Status == TDynamicStatus::Active) {
      below->Status = TDynamicStatus::Idle;
      below->Changed = true;
      changed = true;
    }
  }
  return changed;
}

bool TDynamicLayer::GetActiveCursor() const {
  for (const TDynamicLayerList* e = FNewest; e != nullptr; e = e->Older) {
    if (e->Status == TDynamicStatus::Active) return e->Cursor;
  }
  return false;
}

TDynamicClick TDynamicLayer::TakeClick() {
  TDynamicLayerList* e = FNewest;
  while (e != nullptr && e->Status != TDynamicStatus::Active) e = e->Older;
  return TakeClickOf(e);
}

std::vector<const TDynamicLayerList*> TDynamicLayer::Clickable(bool waitingForClick) const {
  std::vector<const TDynamicLayerList*> entries;
  for (const TDynamicLayerList* e = FNewest; e != nullptr; e = e->Older) {
    if (e->ActiveArea == TDynamicActiveArea::None || e->Status == TDynamicStatus::Disable) continue;
    if (!waitingForClick && e->ActiveMode != TDynamicActiveMode::Always) continue;
    if (e->AreaWidth <= 0 || e->AreaHeight <= 0) continue;
    entries.push_back(e);
  }
  return {entries.rbegin(), entries.rend()};
}

TDynamicClick TDynamicLayer::TakeClickOf(const TDynamicLayerList* entry) {
  TDynamicClick click;
  TDynamicLayerList* e = FNewest;
  while (e != nullptr && e != entry) e = e->Older;
  if (e == nullptr) return click;
  click.Found = true;
  click.BookName = e->ClickBookName;
  click.PageName = e->ClickPageName;
  click.PageChange = e->PageChange;
  if (e->AutoClear) RemoveByAttrID(e->AttrID);  // e is destroyed here
  DeactivateAll();
  return click;
}

bool TDynamicLayer::DeactivateAll() {
  bool changed = false;
  for (TDynamicLayerList* e = FNewest; e != nullptr; e = e->Older) {
    if (e->Status == TDynamicStatus::Active) {
      e->Status = TDynamicStatus::Idle;
      e->Changed = true;
      changed = true;
    }
  }
  return changed;
}

bool TDynamicLayer::AnimateStep() {
  bool changed = false;
  for (TDynamicLayerList* e = FNewest; e != nullptr; e = e->Older) {
    const bool runs = e->AnimeType == TDynamicAnimeType::Repeat ||
                      (e->AnimeType == TDynamicAnimeType::Once && e->AnimeIndex > 0);
    if (!runs) continue;
    // Past the last frame (also for a frame number out of range, as a
    // restored entry may carry) the animation goes back to frame 0.
    int next = e->AnimeIndex + 1;
    if (next >= e->AnimeCount || next < 0) next = 0;
    if (next != e->AnimeIndex) {
      e->Changed = true;
      changed = true;
    }
    e->AnimeIndex = next;
  }
  return changed;
}

bool TDynamicLayer::TimerStep(int remainingSeconds) {
  bool changed = false;
  for (TDynamicLayerList* e = FNewest; e != nullptr; e = e->Older) {
    if (e->AnimeType != TDynamicAnimeType::Timer) continue;
    int index = 0;
    if (remainingSeconds <= 0) {
      e->AnimeType = TDynamicAnimeType::None;
      e->AttrID = kAttrExpiredCountdown;
    } else {
      const int64_t frame = int64_t{e->AnimeCount} - remainingSeconds;
      index = frame > 0 ? static_cast<int>(frame) : 0;
    }
    if (index != e->AnimeIndex) {
      e->AnimeIndex = index;
      e->Changed = true;
      changed = true;
    }
  }
  return changed;
}

}  // namespace pelto5
