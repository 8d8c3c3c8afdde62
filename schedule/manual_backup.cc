// The worker owns copies of everything it was handed, so nothing the window thread changes
// afterwards reaches the run.
#include "schedule/manual_backup.h"

#include <system_error>
#include <thread>

#include "log/backup_log.h"
#include "log/file_log.h"

namespace qs {

namespace {

void ManualBackupWorker(BackupOptions request, RunSeams seams, std::function<void()> finished) {
  {
    const SeamsNotification notification(seams);
    // This run's own logs: a scheduled run may be writing to the same panes meanwhile.
    BackupLogObserver backup_log(seams.backupLog, notification.services().log, request.sourceRoot);
    FileLogObserver file_log(seams.fileLog, request.sourceRoot);
    BackupJob job(request, JobLogs{&backup_log, &file_log}, notification.services());
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
