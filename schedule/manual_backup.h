// "Start Backup Now": one backup on a worker thread of its own, so that the window stays
// responsive while it runs.
#pragma once

#include <functional>

#include "engine/backup_results.h"
#include "schedule/run_seams.h"

namespace qs {

/// Starts the worker, which runs one backup of `request` and then calls `finished` on its own
/// thread (the window enables its button there). The thread is not kept: nothing waits for it.
/// The target is claimed for the whole run. False when another operation holds the target (the
/// backup log says which) or no thread could be started; `finished` is then never called.
bool StartManualBackup(const BackupOptions& request, const RunSeams& seams,
                       std::function<void()> finished);

}  // namespace qs
