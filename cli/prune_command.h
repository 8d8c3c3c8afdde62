// --prune-versions: the version folders no rule keeps are removed, safely against a kill.
#pragma once

#include "cli/run_args.h"
#include "cli/runner_context.h"

namespace qs {

/// Returns the exit status: 0, 1 when a folder could not be removed completely, 2 for a
/// TARGET that is no folder or holds no version folders.
int RunPruneCommand(const RunArgs& args, const RunnerContext& context);

}  // namespace qs
