// What writing a backup log entry needs besides the pane: a clock, the status area and,
// for a job without a pane, the console.
#pragma once

#include <ostream>

#include "os/clock.h"

namespace qs {

/// The status area, brought up to date after every backup log entry.
class StatusSink {
 public:
  virtual ~StatusSink() = default;
  virtual void RefreshStatus() = 0;
};

struct LogServices {
  Clock* clock = nullptr;
  StatusSink* status = nullptr;     ///< null: there is no status area to refresh
  std::ostream* console = nullptr;  ///< receives the entries of a job without a backup log pane
  bool flushEachLine = true;        ///< flush the console after every entry
};

}  // namespace qs
