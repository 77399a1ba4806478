#include "platform/VirtualClock.h"

namespace pelto5 {

TLocalTime VirtualLocalTime(uint32_t clock) {
  // 2000-01-01 00:00:00 (a Saturday) plus the virtual clock.
  TLocalTime t;
  uint64_t ms = clock;
  t.Millisecond = static_cast<int>(ms % 1000);
  uint64_t s = ms / 1000;
  t.Second = static_cast<int>(s % 60);
  t.Minute = static_cast<int>((s / 60) % 60);
  t.Hour = static_cast<int>((s / 3600) % 24);
  const int days = static_cast<int>(s / 86400);  // at most 49 days
  t.DayOfWeek = (6 + days) % 7;
  static const int kMonthDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int d = days;
  int m = 0;
  while (m < 11 && d >= kMonthDays[m]) d -= kMonthDays[m++];
  t.Year = 2000;
  t.Month = m + 1;
  t.Day = d + 1;
  return t;
}

}  // namespace pelto5
