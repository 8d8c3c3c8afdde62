// A restore without a usable record: each file's copy by the dates of the version folders
// (as of a moment), or the current copies.
#pragma once

#include <optional>
#include <string>

#include "engine/restore_tally.h"
#include "engine/version_target.h"
#include "log/run_events.h"
#include "os/file_system.h"

namespace qs {

/// Restores into `dest` (ending with a separator) every kept file, or those under the PATHs
/// wanted, naming each left out with the reason; then what became of each PATH, and every
/// folder of the target that could not be listed.
void RestoreByDates(FileSystem& fs, RunObserver& observer, const VersionTarget& opened,
                    const std::string& dest, std::optional<FileTime> moment, WantedPaths* wanted,
                    RestoreTally* tally);

}  // namespace qs
