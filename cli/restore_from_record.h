// --restore --as-of over a target's record: the tree exactly as a recorded run saw the
// source, each file from a kept copy checked against the record as it is restored.
#pragma once

#include <string>

#include "cli/restore_report.h"
#include "cli/runner_context.h"
#include "engine/as_of_plan.h"

namespace qs {

/// Restores the files of `plan` (those under the PATHs wanted) from `target` into `dest`
/// (both ending with a separator), naming every file it cannot give and why.
void RestoreFromRecord(const RunnerContext& context, const std::string& target,
                       const std::string& dest, const AsOfPlan& plan, WantedPaths* wanted,
                       RestoreTally* tally);

}  // namespace qs
