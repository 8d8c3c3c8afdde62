// Construction and the two log writers of a job.
#include "engine/backup_job.h"

#include "engine/paths.h"
#include "log/backup_log.h"
#include "log/file_log.h"

namespace qs {

namespace {

bool IsErrorCategory(const std::string& category) {
  return category == "FAILED" || category == "COPY ERROR" || category == "DIRECTORY ERROR" ||
         category == "TIME VERSION FAILED";
}

bool AlsoInBackupLog(const std::string& category) {
  return category == "COPIED" || category == "UPDATED" || category == "TIME VERSION";
}

}  // namespace

JobServices DefaultJobServices() {
  JobServices services;
  services.fs = &RealFileSystem();
  services.log = DefaultLogServices();
  return services;
}

BackupJob::BackupJob(const std::string& source, const std::string& target, LogPane* backup_log_pane,
                     LogPane* file_log_pane, bool time_versioning, const JobServices& services)
    : sourceRoot(WithTrailingSeparator(source)),
      targetRoot(WithTrailingSeparator(target)),
      backupLogPane(backup_log_pane),
      fileLogPane(file_log_pane),
      timeVersioningOn(time_versioning),
      services_(services) {}

void BackupJob::LogMessage(const std::string& message) {
  WriteBackupLogEntry(backupLogPane, message, services_.log);
}

void BackupJob::LogFileOperation(const std::string& category, const std::string& path,
                                 const std::string& detail) {
  if (category == "SKIPPED") return;
  if (IsErrorCategory(category)) {
    std::string text = "[" + category + "] " + path;
    if (!detail.empty()) text += " (" + detail + ")";
    LogMessage(text);
    return;
  }
  const std::string line = "[" + category + "] " + RelativePath(sourceRoot, path);
  if (fileLogPane != nullptr) AppendFileLogLine(fileLogPane, line);
  if (AlsoInBackupLog(category)) LogMessage(line);
}

}  // namespace qs
