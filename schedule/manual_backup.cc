// The launch copies the two field texts into a block that the worker owns from its start, so
// nothing the window thread changes afterwards reaches the run.
#include "schedule/manual_backup.h"

#include <memory>
#include <system_error>
#include <thread>

#include "app/app_state.h"
#include "app/control_table.h"
#include "engine/backup_job.h"
#include "engine/paths.h"
#include "log/backup_log.h"
#include "log/file_log.h"
#include "schedule/live_threads.h"

namespace qs {

namespace {

struct ManualBackupBlock {
  std::string source;
  std::string target;
};

LiveThreads g_liveWorkers;

void ManualBackupWorker(std::unique_ptr<ManualBackupBlock> block) {
  {
    BackupJob job(block->source, block->target, g_hBackupLog, g_hFileLog, g_timeVersioning,
                  AppJobServices());
    job.RunBackup();
    g_hStartButton->Enable(true);
    block.reset();
  }
  g_liveWorkers.Ended();
}

}  // namespace

void StartManualBackup() {
  auto block = std::make_unique<ManualBackupBlock>();
  block->source = WithTrailingSeparator(g_hSourceEdit->GetText(kPathFieldMaxCount));
  block->target = WithTrailingSeparator(g_hTargetEdit->GetText(kPathFieldMaxCount));
  TrimBackupLog(g_hBackupLog);
  TrimFileLog(g_hFileLog);
  g_hStartButton->Enable(false);
  g_liveWorkers.Started();
  try {
    std::thread(ManualBackupWorker, std::move(block)).detach();
  } catch (const std::system_error&) {
    // No worker: leave the button usable rather than greyed for good.
    g_liveWorkers.Ended();
    g_hStartButton->Enable(true);
  }
}

void WaitForManualBackupsToEnd() { g_liveWorkers.WaitUntilNone(); }

}  // namespace qs
