// The backup: start, scan, one decision per file, end.
#pragma once

#include "engine/backup_results.h"
#include "log/run_events.h"
#include "log/run_results.h"
#include "os/clock.h"
#include "os/file_system.h"

namespace qs {

/// Backs up the request's source into its target, telling `observer` of every step as a
/// typed event on the calling thread (the two logs, the status area and the rest are the
/// front end's observers, behind one RunFanOut). No outcome stops the pass; the request is
/// never written. Returns what the run found, as its last event (kEnded) told.
BackupResults RunBackup(FileSystem& fs, Clock& clock, const BackupOptions& request,
                        RunObserver& observer);

}  // namespace qs
