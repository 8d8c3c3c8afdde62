// The status area: clock, auto-backup state and countdown.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "log/log_services.h"
#include "log/run_events.h"
#include "os/clock.h"

namespace qs {

/// The countdown text for the given state and monotonic readings (nanoseconds).
std::string CountdownText(bool auto_backup_running, bool backup_in_progress,
                          int64_t next_backup_time, int64_t now);

/// The three status labels, written from the shared state. As a run's observer it raises and
/// clears g_backupInProgress; as the logs' status sink it is refreshed after every backup log
/// entry. Safe on every thread.
class StatusDisplay : public StatusSink, public RunObserver {
 public:
  explicit StatusDisplay(Clock& clock) : clock_(clock) {}
  /// The countdown text from the shared state and the clock.
  std::string Countdown();
  /// Writes the three labels; does nothing before they exist.
  void RefreshStatus() override;
  void OnRunEvent(const RunEvent& event) override;
  /// Refreshes the status and calls `each_second` once a second, for the life of the process.
  [[noreturn]] void RunClock(const std::function<void()>& each_second);

 private:
  Clock& clock_;
};

}  // namespace qs
