// The systemd user service and timer that run quillstone-run when no window is open: their
// texts, made from the interval and the paths, with every character systemd would read
// otherwise escaped.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qs {

extern const char kServiceUnitName[];  ///< quillstone-backup.service
extern const char kTimerUnitName[];    ///< quillstone-backup.timer

struct UnitRequest {
  std::string program;         ///< the absolute path of quillstone-run
  std::string settingsFolder;  ///< absolute: the service runs there, with its backup_config.dat
  int32_t intervalMinutes = 60;
};

/// The OnCalendar= expressions of a timer that fires every `periodMinutes`. A calendar knows
/// only periods that divide a day (or a week): the period is the longest of those not longer
/// than the interval asked for, so the timer never runs less often than asked.
struct CalendarPlan {
  std::vector<std::string> expressions;
  int32_t periodMinutes = 0;
};

CalendarPlan CalendarFor(int32_t interval_minutes);

/// "" when both paths can be written into a unit, else the sentence that says why not.
std::string UnitPathProblem(const UnitRequest& request);

std::string ServiceUnitText(const UnitRequest& request);
std::string TimerUnitText(const CalendarPlan& plan);

/// `path` as ExecStart= reads it back: in double quotes, with '\', '"', '%' and '$' escaped.
std::string ExecStartWord(const std::string& path);

}  // namespace qs
