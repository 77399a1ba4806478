// The machine's local date and time, as the backends that run on a real
// clock report it to the engine.
#pragma once

#include "platform/Platform.h"

namespace pelto5 {

// Now in the local time zone, to the millisecond; seconds stop at 59 (the
// scripts never see a leap second).
TLocalTime SystemLocalTime();

}  // namespace pelto5
