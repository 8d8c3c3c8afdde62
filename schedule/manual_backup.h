// "Start Backup Now": one backup of the typed directories on a worker thread of its own.
#pragma once

#include <string>

namespace qs {

/// Reads the source and target fields, trims both logs, disables the button and starts the
/// worker, which runs the backup and enables the button again. Window thread only.
void StartManualBackup();

/// Tests: returns once every manual backup worker started so far has ended.
void WaitForManualBackupsToEnd();

}  // namespace qs
