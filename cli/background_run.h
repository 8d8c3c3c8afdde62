// What --background adds to a backup: a priority that gives way to the person at the desk,
// and a desktop notification of the outcome once the run's last line is written.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cli/runner_context.h"
#include "engine/run_notification.h"
#include "log/backup_log.h"
#include "log/run_events.h"
#include "os/notifier.h"

namespace qs {

class BackgroundRun {
 public:
  /// Lowers the process's priority at once (before the run starts its file threads) and
  /// adds the notification to the run's `observers`. Whether a success is told comes from
  /// backup_preferences.txt in the working directory.
  BackgroundRun(const RunnerContext& context, std::vector<RunObserver*>* observers);
  /// Raises the notification; when it cannot be shown, the run's backup log says so.
  void AfterRun(const BackupLogObserver& log);

 private:
  std::unique_ptr<Notifier> notifier_;
  std::unique_ptr<RunNotification> notification_;
};

/// Tells the person that a background run did not start: its settings could not be read.
/// `why` is the sentence the runner writes; a line in the log when it cannot be shown.
void NotifyRunNotStarted(const RunnerContext& context, const std::string& why);

}  // namespace qs
