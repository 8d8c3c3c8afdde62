// The pace of the last ten seconds or so of a run, and the time left at that pace.
#pragma once

#include <cstdint>
#include <deque>

namespace qs {

/// Files and bytes done at a moment (monotonic nanoseconds).
struct ProgressSample {
  int64_t nanos = 0;
  uint64_t files_done = 0, bytes_done = 0;
};

class RecentRate {
 public:
  /// Takes the state at `now.nanos` into the window when something more is done (at most one
  /// sample a tenth of a second is kept; older ones go once the window spans ten seconds
  /// without them).
  void Add(const ProgressSample& now);
  /// Bytes a second over the window up to `now`; 0 while the window spans no time.
  double BytesPerSecond(const ProgressSample& now) const;
  /// Seconds left for the rest of `files` and `bytes` at the window's pace up to `now`: 0 when
  /// nothing is left, negative while there is no fair basis yet (less than three seconds
  /// seen since the first file was done, or nothing done in them).
  double SecondsLeft(const ProgressSample& now, uint64_t files, uint64_t bytes) const;

 private:
  std::deque<ProgressSample> samples_;
};

}  // namespace qs
