// --versions and --restore: a file's kept copies, and a tree rebuilt as it stood.
#pragma once

#include "cli/run_args.h"
#include "cli/runner_context.h"

namespace qs {

/// Lists every kept copy of args.paths[0], newest first. Exit status 0, 1 when none is kept,
/// 2 for bad input.
int RunVersionsCommand(const RunArgs& args, const RunnerContext& context);

/// Rebuilds the tree (or the PATHs) into DEST. Exit status 0, 1 when a file failed, 2 for
/// bad input (nothing is written then).
int RunRestoreCommand(const RunArgs& args, const RunnerContext& context);

}  // namespace qs
