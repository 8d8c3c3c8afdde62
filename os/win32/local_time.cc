// Local broken-down time through the system's time-zone rules for that instant, as the clock
// of the desktop shows it. Keeps no state, so every thread may call it.
#include <windows.h>

#include "os/clock.h"

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

namespace {

int DaysIn(int year, int month) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

/// Each field within its range, checked here: a 16-bit SYSTEMTIME field would wrap (year
/// 67137 into 1601), and the conversion takes 2023-02-29 for 2023-03-01 (Wine does).
bool IsRealDate(const LocalTime& local) {
  return local.year >= 1601 && local.year <= 30827 && local.month >= 1 && local.month <= 12 &&
         local.day >= 1 && local.day <= DaysIn(local.year, local.month) && local.hour >= 0 &&
         local.hour <= 23 && local.minute >= 0 && local.minute <= 59 && local.second >= 0 &&
         local.second <= 59;
}

}  // namespace

bool FromLocalTime(const LocalTime& local, int64_t* seconds_since_1970) {
  constexpr int64_t kSecondsFrom1601To1970 = 11644473600;
  if (!IsRealDate(local)) return false;
  SYSTEMTIME local_time = {};
  local_time.wYear = static_cast<WORD>(local.year);
  local_time.wMonth = static_cast<WORD>(local.month);
  local_time.wDay = static_cast<WORD>(local.day);
  local_time.wHour = static_cast<WORD>(local.hour);
  local_time.wMinute = static_cast<WORD>(local.minute);
  local_time.wSecond = static_cast<WORD>(local.second);
  SYSTEMTIME utc;
  FILETIME file_time;
  if (!TzSpecificLocalTimeToSystemTime(nullptr, &local_time, &utc) ||
      !SystemTimeToFileTime(&utc, &file_time))
    return false;
  const uint64_t units =
      (static_cast<uint64_t>(file_time.dwHighDateTime) << 32) | file_time.dwLowDateTime;
  const int64_t seconds = static_cast<int64_t>(units / 10000000) - kSecondsFrom1601To1970;
  // A time the clocks skipped (a daylight-saving gap) converts to a moment whose local time
  // is another: the one asked for never was.
  if (ToLocalTime(seconds) != local) return false;
  *seconds_since_1970 = seconds;
  return true;
}

}  // namespace qs
