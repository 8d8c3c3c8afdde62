// --rebuild-record: a new record of a target, made from its current copies.
#pragma once

#include "cli/run_args.h"
#include "cli/runner_context.h"

namespace qs {

/// Returns the exit status: 0, 1 when a copy could not be read or the record written, 2 for
/// a TARGET that is no folder.
int RunRebuildRecordCommand(const RunArgs& args, const RunnerContext& context);

}  // namespace qs
