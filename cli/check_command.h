// --verify and --status: the check of a target's copies, and what the record says of it.
#pragma once

#include "cli/run_args.h"
#include "cli/runner_context.h"

namespace qs {

/// Exit status 0 when the copies read were whole (or repaired), 1 when damage or a change
/// remains or TARGET keeps no usable record, 2 for bad input.
int RunCheckCommand(const RunArgs& args, const RunnerContext& context);

/// Exit status 0; 1 when the last run failed, the last check found damage, or there is no
/// record; 2 for bad input.
int RunStatusCommand(const RunArgs& args, const RunnerContext& context);

}  // namespace qs
