#include "tests/support/backup_logs.h"

namespace qs::test {

namespace {

LogServices ServicesOf(Clock& clock, std::ostream* console) {
  LogServices services;
  services.clock = &clock;
  services.console = console;
  return services;
}

}  // namespace

BackupLogs::BackupLogs(LogPane* backup_pane, LogPane* file_pane, Clock& clock,
                       std::ostream* console, const std::string& source_root)
    : backupLog(backup_pane, ServicesOf(clock, console), source_root),
      fileLog(file_pane, source_root) {}

void BackupLogs::OnRunEvent(const RunEvent& event) {
  for (RunObserver* observer : observers) observer->OnRunEvent(event);
  fileLog.OnRunEvent(event);
  backupLog.OnRunEvent(event);
}

void BackupLogs::LogFileOperation(FileOperation category, const std::string& path,
                                  const std::string& detail, const std::string& source_root) const {
  fileLog.WriteFileOperation(category, path, source_root);
  backupLog.WriteFileOperation(category, path, detail, source_root);
}

}  // namespace qs::test
