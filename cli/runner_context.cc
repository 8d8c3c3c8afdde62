// The runner's lines look like the window's backup log, so that one reader serves both.
#include "cli/runner_context.h"

#include "cli/run_usage.h"
#include "log/backup_log.h"

namespace qs {

void RunnerContext::Log(const std::string& message) const {
  WriteBackupLogEntry(nullptr, message, log);
}

int UsageError(const RunnerContext& context, const std::string& message) {
  context.error << "quillstone-run: " << message << "\n"
                << RunSynopsis() << "Try 'quillstone-run --help'.\n"
                << std::flush;
  return 2;
}

}  // namespace qs
