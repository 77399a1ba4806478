#include "graphics/TextStepList.h"

namespace pelto5 {

void TTextStepList::Clear() {
  FEntries.clear();
  FPosition = 0;
  FState = TTextStep{};
}

void TTextStepList::Push(int code, int value) {
  if (FEntries.size() >= kCapacity) return;
  FEntries.push_back(TEntry{code, value});
}

TTextStep TTextStepList::Next() {
  while (FPosition < kCapacity) {
    const TEntry entry = Entry(FPosition);
    if (entry.Code == tsEnd) break;  // End is returned and the position stays
    ++FPosition;
    FState.Code = entry.Code;
    FState.Value = entry.Value;
    switch (entry.Code) {
      case tsLineTop: FState.Y = entry.Value; break;
      case tsLineX: FState.X = entry.Value; break;
      case tsCharWidthReset: FState.CharWidth = entry.Value; break;
      case tsLineHeight: FState.LineHeight = entry.Value; break;
      case tsSpeedNormal: FState.Delay = kDelayNormal; break;
      case tsSpeedFast: FState.Delay = kDelayFast; break;
      case tsSpeedSlow: FState.Delay = kDelaySlow; break;
      case tsCharEnd:
        FState.X += FState.CharWidth;
        FState.CharWidth = entry.Value - FState.X;
        return FState;
      default:
        return FState;
    }
  }
  TTextStep end = FState;
  end.Code = tsEnd;
  end.Value = 0;
  return end;
}

}  // namespace pelto5
