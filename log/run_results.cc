// The summary line and the one verdict callers need.
#include "log/run_results.h"

namespace qs {

std::string BackupCounters::SummaryText() const {
  return "Time-based incremental backup completed: " + std::to_string(copied) + " copied, " +
         std::to_string(updated) + " updated, " + std::to_string(skipped) + " skipped, " +
         std::to_string(failed) + " failed, " + std::to_string(timeVersioned) + " time-versioned.";
}

bool BackupResults::AnyFailed() const {
  return counters.failed > 0 || timeVersionFailures > 0 || unlistedDirectories > 0 ||
         flushFailures > 0 || timesNotKept;
}

}  // namespace qs
