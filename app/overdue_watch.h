// The overdue line of the status area: once a second the last successful backup of the
// target is held against the rule, and one notification is raised per overdue stretch. The
// target's record is read when the target changes and after each run, not at every check.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "log/run_events.h"
#include "os/clock.h"
#include "os/file_system.h"
#include "schedule/overdue.h"

namespace qs {

/// The end of the last run of `target_root`'s record that backed everything up (exit status
/// 0), in wall-clock ticks; 0 when the record knows none or cannot be read.
int64_t LastSuccessfulBackup(FileSystem& fs, const std::string& target_root);

class OverdueWatch : public RunObserver {
 public:
  OverdueWatch(FileSystem& fs, Clock& clock) : fs_(fs), clock_(clock) {}

  /// The target whose backups are watched (the stored one); any thread.
  void WatchTarget(const std::string& target);
  std::string Target();
  /// A run that ended may have added to the record: it is read again at the next check.
  void OnRunEvent(const RunEvent& event) override;

  /// The verdict now, for `inputs` with the last success and the time filled in here; sets
  /// `*notify` when this check begins an overdue stretch. One thread only.
  OverdueVerdict Check(OverdueInputs inputs, bool* notify);

 private:
  FileSystem& fs_;
  Clock& clock_;
  std::mutex mutex_;
  std::string target_;  ///< under mutex_
  std::atomic<bool> stale_{true};
  int64_t last_success_ = 0;  ///< the checking thread's
  OverdueAlarm alarm_;        ///< the checking thread's
};

}  // namespace qs
