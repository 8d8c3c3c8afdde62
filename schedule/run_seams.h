// What a backup started by the scheduler or by "Start Backup Now" works through: the two
// panes and the job's services (file system, clock, status area, observers). Passed in by the
// program; nothing here reaches for a global.
#pragma once

#include <memory>
#include <string>

#include "engine/backup_job.h"
#include "platform/log_pane.h"

namespace qs {

struct RunSeams {
  LogPane* backupLog = nullptr;  ///< null: entries go to the console of services.log
  LogPane* fileLog = nullptr;
  JobServices services;
  /// Held by the thread that runs with these seams until it has ended: its use count says
  /// how many such threads are still at work.
  std::shared_ptr<const void> presence;
};

/// Writes one entry to the backup log of `seams`, as a run's own entries are written.
void LogEntry(const RunSeams& seams, const std::string& message);

}  // namespace qs
