// --schedule install|remove|show: the runner's background schedule, for the settings of the
// working directory.
#pragma once

#include "cli/run_args.h"
#include "cli/runner_context.h"

namespace qs {

/// Installs, removes or shows the schedule; returns the exit status: 0 done, 1 not done (the
/// sentence on standard output says why and what to do), 2 for an install where no
/// backup_config.dat with a source and a target can be read (nothing is written then).
/// Install and remove record in backup_preferences.txt whether the schedule is on, for the
/// window's "Also back up when this window is closed".
int RunScheduleCommand(const RunArgs& args, const RunnerContext& context);

}  // namespace qs
