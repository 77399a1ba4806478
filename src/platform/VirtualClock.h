// The virtual clock of deterministic runs: it starts at 0 and advances only
// when the program waits, the main timer's n-th tick at 200·n ms. The
// headless backend always runs on it; the SDL backend does while it records
// a play-through, so that the recording replays headless to the same state.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

namespace pelto5 {

constexpr uint32_t kVirtualTimerInterval = 200;

// The main timer's first tick after clock (ticks missed are not queued up).
constexpr uint32_t NextVirtualTick(uint32_t clock) {
  return (clock / kVirtualTimerInterval + 1) * kVirtualTimerInterval;
}

// The local date and time scripts see at clock: 2000-01-01 00:00:00 (a
// Saturday) plus the clock.
TLocalTime VirtualLocalTime(uint32_t clock);

}  // namespace pelto5
