// The scheduler's and the window's own lines go straight to the backup log writer.
#include "schedule/run_seams.h"

#include "log/backup_log.h"

namespace qs {

void LogEntry(const RunSeams& seams, const std::string& message) {
  WriteBackupLogEntry(seams.backupLog, message, seams.services.log);
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
