// The SDL backend's millisecond ticks wrap at 2^32; compare them this way.
#pragma once

#include <cstdint>

namespace pelto5 {

// True once the wrapping tick counter has reached due.
inline bool TickReached(uint32_t now, uint32_t due) { return static_cast<int32_t>(now - due) >= 0; }

}  // namespace pelto5
