// The background schedule of the settings in the working directory, as the runner's
// --schedule and the window's "Also back up when this window is closed" both set it up: the
// request made from what the program knows of itself and its surroundings, the action, and
// the record in backup_preferences.txt of whether the schedule is on.
#pragma once

#include <ostream>
#include <string>

#include "os/clock.h"
#include "schedule/background_schedule.h"

namespace qs {

/// Installs, removes or shows the schedule that starts `program` (a quillstone-run) in the
/// working directory; returns 0 done, 1 not done (`out` says why and what to do), 2 when no
/// request can be made: `problem` then says why (nothing is written, nothing is run). With
/// `record`, install and remove, when done, record in backup_preferences.txt whether the
/// schedule is on (the window keeps that file itself).
int SetUpSchedule(ScheduleAction action, const std::string& program, Clock& clock, FileSystem& fs,
                  std::ostream& out, std::string* problem, bool record = true);

/// The path of the quillstone-run beside the program at `this_program` (with its ".exe" when
/// that has one); "" for "".
std::string RunnerBeside(const std::string& this_program);

}  // namespace qs
