// The scheduler's and the window's own lines go straight to the backup log writer; a backup's
// go through its two logs, behind the seams' observers.
#include "schedule/run_seams.h"

#include "engine/backup_run.h"
#include "log/backup_log.h"

namespace qs {

void LogEntry(const RunSeams& seams, const std::string& message) {
  WriteBackupLogEntry(seams.backupLog, message, seams.services.log);
}

BackupResults RunLoggedBackup(const JobServices& services, const BackupOptions& request,
                              FileLogObserver& file_log, BackupLogObserver& backup_log) {
  BackupOptions tuned = request;
  tuned.tuning = services.tuning;
  std::vector<RunObserver*> observers = services.observers;
  // The observers before the logs: the status area shows a run under way before its first
  // line.
  observers.push_back(&file_log);
  observers.push_back(&backup_log);
  RunFanOut fan_out(std::move(observers));
  return RunBackup(*services.fs, *services.log.clock, tuned, fan_out);
}

SeamsNotification::SeamsNotification(const RunSeams& seams)
    : seams_(seams), services_(seams.services) {
  if (seams.notifier == nullptr) return;
  notification_ = std::make_unique<RunNotification>(*seams.notifier, false);
  services_.observers.push_back(notification_.get());
}

void SeamsNotification::Deliver() const {
  if (notification_ == nullptr) return;
  // The scheduler keeps one notification for all its runs: the setting is read afresh.
  notification_->NotifySuccess(seams_.notifyOnSuccess != nullptr && seams_.notifyOnSuccess->load());
  if (const std::string line = notification_->Deliver(); !line.empty()) LogEntry(seams_, line);
}

WatchedServices::WatchedServices(const RunSeams& seams, const JobServices& services)
    : services_(services) {
  if (seams.watchRuns) watch_ = seams.watchRuns();
  if (watch_ != nullptr) services_.observers.push_back(watch_.get());
}

std::shared_ptr<const void> ThreadCount::Ticket() const {
  count_->fetch_add(1);
  // The count goes down, with release, only when the last copy of the ticket is gone.
  return std::shared_ptr<const void>(count_.get(), [count = count_](const void*) {
    count->fetch_sub(1, std::memory_order_release);
  });
}

int ThreadCount::Running() const { return count_->load(std::memory_order_acquire); }

}  // namespace qs
