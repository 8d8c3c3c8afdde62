// The worker owns copies of everything it was handed, so nothing the window thread changes
// afterwards reaches the run.
#include "schedule/manual_backup.h"

#include <system_error>
#include <thread>

namespace qs {

namespace {

void ManualBackupWorker(BackupOptions request, RunSeams seams, std::function<void()> finished) {
  {
    const SeamsNotification notification(seams);
    BackupJob job(request, seams.backupLog, seams.fileLog, notification.services());
    job.RunBackup();
    notification.Deliver();
  }
  finished();
}

}  // namespace

bool StartManualBackup(const BackupOptions& request, const RunSeams& seams,
                       std::function<void()> finished) {
  try {
    std::thread(ManualBackupWorker, request, seams, std::move(finished)).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

}  // namespace qs
