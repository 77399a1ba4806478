// The text steps recorded while a text is rendered, and their replay: the
// message window reveals a text character by character by reading them
// back (positions, widths, speed changes, waits and page ends).
#pragma once

#include <cstddef>
#include <vector>

namespace pelto5 {

enum TTextStepCode {
  tsEnd = 0,
  tsLineTop = 1,
  tsLineX = 2,
  tsCharWidthReset = 3,
  tsLineHeight = 4,
  tsCharEnd = 5,
  tsSpeedNormal = 7,
  tsSpeedFast = 8,
  tsSpeedSlow = 9,
  tsKeyWaitMark = 10,
  tsKeyWaitClear = 11,
  tsPageWaitMark = 12,
  tsPageWaitClear = 13,
  tsKeyWait = 14,
  tsPageKeyWait = 15,
  tsWait = 16,
  tsNewPage = 17,
};

// Character delays of the three speeds, in milliseconds.
constexpr int kDelayNormal = 60;
constexpr int kDelayFast = 20;
constexpr int kDelaySlow = 120;

// A replayed step: the entry and the replay state after it.
struct TTextStep {
  int Code = tsEnd;
  int Value = 0;
  int X = 0;
  int Y = 0;
  int LineHeight = 0;
  int CharWidth = 0;
  int Delay = kDelayNormal;
};

class TTextStepList {
 public:
  static constexpr size_t kCapacity = 4096;

  struct TEntry {
    int Code = tsEnd;
    int Value = 0;
  };

  // Empties the list and resets the replay state (Delay 60).
  void Clear();
  // Appends an entry; dropped silently when the list is full.
  void Push(int code, int value = 0);
  // The next step that is not absorbed into the replay state.
  TTextStep Next();

  size_t Count() const { return FEntries.size(); }
  size_t Position() const { return FPosition; }
  // Entries past the count read as End.
  TEntry Entry(size_t index) const { return index < FEntries.size() ? FEntries[index] : TEntry{}; }

 private:
  std::vector<TEntry> FEntries;  // grows up to kCapacity
  size_t FPosition = 0;
  TTextStep FState;
};

}  // namespace pelto5
