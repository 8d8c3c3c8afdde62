// Construction, the two log writers of a job, and the reports of its events.
#include "engine/backup_job.h"

#include "engine/backup_request.h"

namespace qs {

BackupJob::BackupJob(const std::string& source, const std::string& target, LogPane* backup_log_pane,
                     LogPane* file_log_pane, bool time_versioning, const JobServices& services)
    : BackupJob(BackupOptions::Of(source, target, time_versioning), backup_log_pane, file_log_pane,
                services) {}

BackupJob::BackupJob(const BackupOptions& request, LogPane* backup_log_pane, LogPane* file_log_pane,
                     const JobServices& services)
    // Options built without BackupRequest get their roots' separators here all the same.
    : options(WithRootSeparators(request)),
      // The job's own lines outside a run (a copy of one file) show paths below its source.
      own_backup_log_(std::in_place, backup_log_pane, services.log, options.sourceRoot),
      own_file_log_(std::in_place, file_log_pane, options.sourceRoot),
      logs_{&*own_backup_log_, &*own_file_log_},
      services_(services) {}

BackupJob::BackupJob(const BackupOptions& request, JobLogs logs, const JobServices& services)
    : options(WithRootSeparators(request)), logs_(logs), services_(services) {}

void BackupJob::LogMessage(const std::string& message) { logs_.backupLog->Write(message); }

void BackupJob::LogFileOperation(FileOperation category, const std::string& path,
                                 const std::string& detail) {
  logs_.fileLog->WriteFileOperation(category, path, options.sourceRoot);
  logs_.backupLog->WriteFileOperation(category, path, detail, options.sourceRoot);
}

void BackupJob::Report(const RunEvent& event) {
  counter_.OnRunEvent(event);
  // The observers before the logs: the status area shows a run under way before its first
  // line.
  for (RunObserver* observer : services_.observers) observer->OnRunEvent(event);
  logs_.fileLog->OnRunEvent(event);
  logs_.backupLog->OnRunEvent(event);
}

}  // namespace qs
