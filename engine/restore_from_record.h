// A restore as of a moment over a target's record: the tree exactly as a recorded run saw the
// source, each file from a kept copy checked against the record as it is restored.
#pragma once

#include <string>

#include "engine/as_of_plan.h"
#include "engine/restore_tally.h"
#include "log/run_events.h"
#include "os/file_system.h"

namespace qs {

/// Restores the files of `plan` (those under the PATHs wanted) from `target` into `dest`
/// (both ending with a separator), naming every file it cannot give and why.
void RestoreFromRecord(FileSystem& fs, RunObserver& observer, const std::string& target,
                       const std::string& dest, const AsOfPlan& plan, WantedPaths* wanted,
                       RestoreTally* tally);

}  // namespace qs
