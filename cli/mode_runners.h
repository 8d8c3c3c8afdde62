// What runs each of the runner's modes.
#pragma once

#include "cli/run_args.h"
#include "cli/runner_context.h"

namespace qs {

/// Whether a function runs `mode`.
bool HasRunner(RunArgs::Mode mode);

/// Runs the mode `args` chose (help and usage errors too); the exit status.
int RunChosenMode(const RunArgs& args, const RunnerContext& context);

}  // namespace qs
