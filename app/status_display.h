// The status area: clock, auto-backup state and countdown.
#pragma once

#include <cstdint>
#include <string>

#include "log/log_services.h"

namespace qs {

/// The countdown text for the given state and monotonic readings (nanoseconds).
std::string CountdownText(bool auto_backup_running, bool backup_in_progress,
                          int64_t next_backup_time, int64_t now);

/// The countdown text from the shared state and g_clock.
std::string CountdownText();

/// Writes the three status labels; does nothing before they exist.
void RefreshStatus();

/// Refreshes the status once a second, for the life of the process.
[[noreturn]] void ClockThreadProc();

/// The status area as the engine's log writers see it.
class AppStatusSink : public StatusSink {
 public:
  void RefreshStatus() override;
};
AppStatusSink& TheStatusSink();

}  // namespace qs
