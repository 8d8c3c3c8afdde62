// A restore without a usable record: each file's copy by the dates of the version folders
// (as of a moment), or the current copies.
#pragma once

#include <optional>
#include <string>

#include "cli/restore_report.h"
#include "cli/runner_context.h"
#include "cli/version_target.h"

namespace qs {

/// Restores into `dest` (ending with a separator) every kept file, or those under the PATHs
/// wanted, naming each left out with the reason; then what became of each PATH, and every
/// folder of the target that could not be listed.
void RestoreByDates(const RunnerContext& context, const VersionTarget& opened,
                    const std::string& dest, std::optional<FileTime> moment, WantedPaths* wanted,
                    RestoreTally* tally);

}  // namespace qs
