// The status area: clock, auto-backup state and countdown.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "log/run_events.h"
#include "os/clock.h"

namespace qs {

/// The countdown text for the given state and monotonic readings (nanoseconds).
std::string CountdownText(bool auto_backup_running, bool backup_in_progress,
                          int64_t next_backup_time, int64_t now);

/// The three status labels, written from the shared state. As the observer of the runs and of
/// the scheduler it raises and clears g_backupInProgress and refreshes the labels once for each
/// event it is told of. Safe on every thread.
class StatusDisplay : public RunObserver {
 public:
  explicit StatusDisplay(Clock& clock) : clock_(clock) {}
  /// The countdown text from the shared state and the clock.
  std::string Countdown();
  /// Writes the three labels; does nothing before they exist.
  void RefreshStatus();
  void OnRunEvent(const RunEvent& event) override;
  /// Refreshes the status and calls `each_second` once a second, for the life of the process.
  [[noreturn]] void RunClock(const std::function<void()>& each_second);

 private:
  Clock& clock_;
};

}  // namespace qs
