// The worker owns copies of everything it was handed, so nothing the window thread changes
// afterwards reaches the run.
#include "schedule/manual_backup.h"

#include <system_error>
#include <thread>

#include "log/backup_log.h"
#include "log/file_log.h"
#include "schedule/operation_worker.h"

namespace qs {

namespace {

void ManualBackupWorker(BackupOptions request, RunSeams seams, std::shared_ptr<const void> claim,
                        std::function<void()> finished) {
  {
    const SeamsNotification notification(seams);
    const WatchedServices watched(seams, notification.services());
    // This run's own logs: a scheduled run may be writing to the same panes meanwhile.
    BackupLogObserver backup_log(seams.backupLog, watched.services().log, request.sourceRoot);
    FileLogObserver file_log(seams.fileLog, request.sourceRoot);
    RunLoggedBackup(watched.services(), request, file_log, backup_log);
    notification.Deliver();
  }
  claim.reset();
  finished();
}

}  // namespace

bool StartManualBackup(const BackupOptions& request, const RunSeams& seams,
                       std::function<void()> finished) {
  // Claimed here, so that a refusal is known before the worker would start.
  std::shared_ptr<const void> claim = ClaimOrSay(seams, request.targetRoot, kBackupClaim);
  if (!claim) return false;
  try {
    std::thread(ManualBackupWorker, request, seams, std::move(claim), std::move(finished)).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

}  // namespace qs
