// Local broken-down time through localtime_r and mktime. mktime reads the zone afresh each
// time (tzset), freeing and copying its name under a lock of the C library's own that no
// race checker sees: the two calls are made one at a time here, so that dialogs reading
// version folders on two workers at once are plainly ordered.
#include <time.h>

#include <cerrno>
#include <mutex>

#include "os/clock.h"

namespace qs {

namespace {

std::mutex g_zone_mutex;

}  // namespace

LocalTime ToLocalTime(int64_t seconds_since_1970) {
  const time_t t = static_cast<time_t>(seconds_since_1970);
  struct tm parts {};
  {
    const std::lock_guard<std::mutex> lock(g_zone_mutex);
    localtime_r(&t, &parts);
  }
  return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
          parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

bool FromLocalTime(const LocalTime& local, int64_t* seconds_since_1970) {
  struct tm parts {};
  parts.tm_year = local.year - 1900;
  parts.tm_mon = local.month - 1;
  parts.tm_mday = local.day;
  parts.tm_hour = local.hour;
  parts.tm_min = local.minute;
  parts.tm_sec = local.second;
  parts.tm_isdst = -1;  // the zone's own rule for that date
  time_t t = 0;
  {
    const std::lock_guard<std::mutex> lock(g_zone_mutex);
    errno = 0;
    t = mktime(&parts);
    if (t == static_cast<time_t>(-1) && errno != 0) return false;
  }
  // mktime moves a time the clocks skipped (a daylight-saving gap) to one that exists:
  // read back, it is another time, and the one asked for never was.
  if (ToLocalTime(static_cast<int64_t>(t)) != local) return false;
  *seconds_since_1970 = static_cast<int64_t>(t);
  return true;
}

}  // namespace qs
