// Construction, the two log writers of a job, and the reports of its events.
#include "engine/backup_job.h"

#include "engine/paths.h"

namespace qs {

BackupJob::BackupJob(const std::string& source, const std::string& target, LogPane* backup_log_pane,
                     LogPane* file_log_pane, bool time_versioning, const JobServices& services)
    : BackupJob(BackupOptions::Of(source, target, time_versioning), backup_log_pane, file_log_pane,
                services) {}

namespace {

BackupOptions WithRootSeparators(BackupOptions options) {
  options.sourceRoot = WithTrailingSeparator(options.sourceRoot);
  options.targetRoot = WithTrailingSeparator(options.targetRoot);
  return options;
}

}  // namespace

BackupJob::BackupJob(const BackupOptions& request, LogPane* backup_log_pane, LogPane* file_log_pane,
                     const JobServices& services)
    : options(WithRootSeparators(request)),
      // The job's own lines outside a run (a copy of one file) show paths below its source.
      backup_log_(backup_log_pane, services.log, options.sourceRoot),
      file_log_(file_log_pane, options.sourceRoot),
      services_(services) {}

void BackupJob::LogMessage(const std::string& message) { backup_log_.Write(message); }

void BackupJob::LogFileOperation(FileOperation category, const std::string& path,
                                 const std::string& detail) {
  file_log_.WriteFileOperation(category, path, options.sourceRoot);
  backup_log_.WriteFileOperation(category, path, detail, options.sourceRoot);
}

void BackupJob::Report(const RunEvent& event) {
  counter_.OnRunEvent(event);
  // The observers before the logs: the status area shows a run under way before its first
  // line.
  for (RunObserver* observer : services_.observers) observer->OnRunEvent(event);
  file_log_.OnRunEvent(event);
  backup_log_.OnRunEvent(event);
}

}  // namespace qs
