// When a backup counts as overdue: the rule, over times the caller reads from its clock, and
// the alarm that asks for one notification per overdue stretch, not one per check.
#pragma once

#include <cstdint>
#include <string>

#include "os/clock.h"
#include "os/notifier.h"

namespace qs {

struct OverdueInputs {
  /// The last successful backup of the target, in wall-clock ticks (100 ns since 1970, as
  /// Clock::WallTicks); 0 when none is recorded: then nothing can be overdue yet.
  int64_t lastSuccessTicks = 0;
  int64_t nowTicks = 0;
  int32_t intervalMinutes = 60;  ///< as typed: read as the scheduler reads it (UsableInterval)
  bool autoBackupOn = false;
  bool backgroundScheduleOn = false;  ///< the system's scheduler runs it with the window closed
};

struct OverdueVerdict {
  bool overdue = false;
  int64_t ageMinutes = 0;  ///< how old the last successful backup is
  /// For the status line, when overdue: "Backup overdue: last successful backup 4 hours ago".
  std::string line;
  /// How often one was due, for the notification: "every 60 minutes", "once a day".
  std::string expected;
};

/// Overdue when the last successful backup is older than three intervals while automatic
/// backup is on, or older than a day while it is off but a background schedule is on. Never
/// overdue with neither on, with no backup recorded, or with a clock that went back.
OverdueVerdict CheckOverdue(const OverdueInputs& inputs);

/// The same, with the time now taken from `clock`.
OverdueVerdict CheckOverdue(Clock& clock, OverdueInputs inputs);

/// "Backup overdue" with the target and the age, with a warning's urgency.
Notification OverdueNotification(const OverdueVerdict& verdict, const std::string& target);

/// Says yes once when checks turn overdue, and not again until a check that is not overdue
/// has ended that stretch. Checked once a second by the status display; one thread only.
class OverdueAlarm {
 public:
  bool ShouldNotify(const OverdueVerdict& verdict);

 private:
  bool raised_ = false;
};

}  // namespace qs
