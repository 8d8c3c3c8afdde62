// Local broken-down time through the system's time-zone rules for that instant, as the clock
// of the desktop shows it. Keeps no state, so every thread may call it.
#include <windows.h>

#include "platform/clock.h"

namespace qs {

LocalTime ToLocalTime(int64_t seconds_since_1970) {
  constexpr int64_t kSecondsFrom1601To1970 = 11644473600;
  const uint64_t units =
      static_cast<uint64_t>(seconds_since_1970 + kSecondsFrom1601To1970) * 10000000;
  FILETIME file_time;
  file_time.dwLowDateTime = static_cast<DWORD>(units);
  file_time.dwHighDateTime = static_cast<DWORD>(units >> 32);
  SYSTEMTIME utc, local;
  if (!FileTimeToSystemTime(&file_time, &utc)) return {};
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) local = utc;
  return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

}  // namespace qs
