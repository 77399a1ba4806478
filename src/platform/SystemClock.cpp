#include "platform/SystemClock.h"

#include <chrono>
#include <ctime>

namespace pelto5 {

TLocalTime SystemLocalTime() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t seconds = system_clock::to_time_t(now);
  const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm parts{};
  TLocalTime result;
#ifdef _WIN32
  if (localtime_s(&parts, &seconds) != 0) return result;
#else
  if (!localtime_r(&seconds, &parts)) return result;
#endif
  result.Year = parts.tm_year + 1900;
  result.Month = parts.tm_mon + 1;
  result.Day = parts.tm_mday;
  result.Hour = parts.tm_hour;
  result.Minute = parts.tm_min;
  result.Second = parts.tm_sec > 59 ? 59 : parts.tm_sec;
  result.Millisecond = static_cast<int>(millis < 0 ? millis + 1000 : millis);
  result.DayOfWeek = parts.tm_wday;
  return result;
}

}  // namespace pelto5
