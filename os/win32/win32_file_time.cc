// Floor division throughout, so that a time before 1970 keeps its place in the 100 ns grid.
#include "os/win32/win32_file_time.h"

#include <cstdint>

namespace qs::win32 {

namespace {

constexpr int64_t kUnitsPerSecond = 10000000;
constexpr int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr int64_t kMaxUnits = INT64_MAX;
constexpr int64_t kMaxSecondsFrom1601 = kMaxUnits / kUnitsPerSecond;

}  // namespace

FileTime FromUnits(uint64_t units) {
  const int64_t count =
      units > static_cast<uint64_t>(kMaxUnits) ? kMaxUnits : static_cast<int64_t>(units);
  const int64_t seconds_from_1601 = count / kUnitsPerSecond;
  const int64_t rest = count % kUnitsPerSecond;
  return {seconds_from_1601 - kSecondsFrom1601To1970, static_cast<int32_t>(rest * 100)};
}

bool ToUnits(FileTime time, uint64_t* units) {
  if (time.seconds < -kSecondsFrom1601To1970 || time.nanos < 0 || time.nanos > 999999999)
    return false;
  if (time.seconds > kMaxSecondsFrom1601 - kSecondsFrom1601To1970) return false;
  const uint64_t count =
      static_cast<uint64_t>(time.seconds + kSecondsFrom1601To1970) * kUnitsPerSecond +
      static_cast<uint64_t>(time.nanos / 100);
  if (count > static_cast<uint64_t>(kMaxUnits)) return false;
  *units = count;
  return true;
}

}  // namespace qs::win32
