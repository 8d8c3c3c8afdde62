// The scheduler's and the window's own lines go straight to the backup log writer.
#include "schedule/run_seams.h"

#include "log/backup_log.h"

namespace qs {

void LogEntry(const RunSeams& seams, const std::string& message) {
  WriteBackupLogEntry(seams.backupLog, message, seams.services.log);
}

}  // namespace qs
