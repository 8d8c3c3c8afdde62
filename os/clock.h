// The clock seam: monotonic time for the scheduler, wall time for log texts.
#pragma once

#include <cstdint>
#include <memory>

namespace qs {

/// Broken-down local time.
struct LocalTime {
  int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
  friend bool operator==(const LocalTime&, const LocalTime&) = default;
};

class Clock {
 public:
  virtual ~Clock() = default;
  /// Nanoseconds from an arbitrary origin; never goes back.
  virtual int64_t MonotonicNanos() = 0;
  /// Returns no sooner than `millis` later on the monotonic clock.
  virtual void SleepMillis(int64_t millis) = 0;
  /// Wall clock as 100-nanosecond ticks since 1970-01-01 00:00:00 UTC.
  virtual int64_t WallTicks() = 0;
};

/// Converts whole seconds since 1970 UTC to the local broken-down time.
LocalTime ToLocalTime(int64_t seconds_since_1970);

/// Converts a local broken-down time to whole seconds since 1970 UTC, with the rules of the
/// local time zone for that moment; false when the system cannot, or when that local time
/// does not exist (the clocks skipped it, as at the start of daylight-saving time).
bool FromLocalTime(const LocalTime& local, int64_t* seconds_since_1970);

/// The process's real clock (steady_clock, system_clock and a thread sleep).
Clock& RealClock();

}  // namespace qs
