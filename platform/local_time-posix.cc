// Local broken-down time through localtime_r, which is safe on every thread.
#include <time.h>

#include "platform/clock.h"

namespace qs {

LocalTime ToLocalTime(int64_t seconds_since_1970) {
  const time_t t = static_cast<time_t>(seconds_since_1970);
  struct tm parts {};
  localtime_r(&t, &parts);
  return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
          parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

}  // namespace qs
