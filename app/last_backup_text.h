// The words of the status area's line of how the last backup went, or how the one under way
// is going.
#pragma once

#include <cstdint>
#include <string>

#include "log/progress_text.h"

namespace qs {

/// The last backup of a target, as its record or the run's own summary tells it.
struct LastBackup {
  bool known = false;    ///< false: the target holds no record of a run
  int64_t endTicks = 0;  ///< wall-clock ticks (100 ns since 1970 UTC)
  bool failed = false;   ///< the backup is not complete
  int64_t failedFiles = 0;
};

/// "Last backup: 2026-12-09 08:15, no failures" (local time), ", 3 failed" when files failed,
/// ", not complete" when something else failed; "Last backup: none yet" when none is known.
std::string LastBackupText(const LastBackup& last);

/// "Backing up: 1,204 of 5,000 files, 1.2 of 4.0 GB, about 3 min left"; the bytes when the scan
/// measured them, the time once it is known. Before the scan has counted (`counting` false):
/// "Backing up: looking through the source...".
std::string BackingUpText(const ProgressFigures& figures, bool counting);

}  // namespace qs
