// The two logs of a backup over memory panes (or none: the backup log then writes to a
// console), made as a front end makes them and told of each event behind the test's own
// observers, in a front end's order: what a test passes RunBackup (engine/backup_run.h), or a
// BackupJob when it drives one part of a run.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "log/backup_log.h"
#include "log/file_log.h"
#include "log/file_operation.h"
#include "log/log_pane.h"
#include "log/run_events.h"
#include "os/clock.h"

namespace qs::test {

class BackupLogs : public RunObserver {
 public:
  /// File lines show paths below `source_root` until a run's start says where its source is.
  BackupLogs(LogPane* backup_pane, LogPane* file_pane, Clock& clock, std::ostream* console,
             const std::string& source_root = "");
  /// Tells `observers`, then the file log, then the backup log.
  void OnRunEvent(const RunEvent& event) override;
  /// Both logs' halves of one file-operation entry, for paths below `source_root`.
  void LogFileOperation(FileOperation category, const std::string& path, const std::string& detail,
                        const std::string& source_root) const;

  /// Told of each event before the two logs, in their order.
  std::vector<RunObserver*> observers;
  BackupLogObserver backupLog;
  FileLogObserver fileLog;
};

}  // namespace qs::test
