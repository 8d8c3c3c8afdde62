// How far a backup run has come, counted from its events: what the runner's progress line and
// the window's status line both show.
#pragma once

#include <cstdint>

#include "log/progress_text.h"
#include "log/recent_rate.h"
#include "log/run_events.h"

namespace qs {

class RunProgress {
 public:
  /// Counts `event`, seen at `now` (monotonic nanoseconds), into the figures and the pace.
  void Count(const RunEvent& event, int64_t now);
  /// Where the run stands at `now`: the time left is not known until the scan has counted.
  ProgressFigures Figures(int64_t now) const;
  /// The scan has counted the files, so the figures have a whole to go by.
  bool Counting() const { return counting_; }

 private:
  RecentRate rate_;
  uint64_t files_ = 0, bytes_ = 0, files_done_ = 0, bytes_done_ = 0;
  uint64_t files_reported_ = 0, bytes_reported_ = 0, files_ahead_ = 0, bytes_ahead_ = 0;
  bool counting_ = false;
};

}  // namespace qs
