// Every run the window starts reports to both panes and to the status area, which is told of
// its events (and of the scheduler's) first.
#include "app/app_context.h"

#include "app/app_state.h"
#include "os/console.h"

namespace qs {

RunSeams AppContext::Seams() {
  RunSeams seams;
  seams.backupLog = PaneOf(g_hBackupLog);
  seams.fileLog = PaneOf(g_hFileLog);
  seams.services.fs = &fs;
  seams.services.log.clock = &clock;
  seams.services.log.console = &StandardOutput();
  seams.services.observers = {&status, &overdue};
  seams.presence = threads.Ticket();
  seams.notifier = notifier;
  seams.notifyOnSuccess = &notifyOnSuccess;
  seams.claims = &claims;
  // The label exists before any run starts: the window makes it before the first command.
  seams.watchRuns = [this] { return lastBackup.WatchRuns(added.lastBackupLabel); };
  return seams;
}

SchedulerSeams AppContext::ForScheduler() {
  SchedulerSeams seams;
  seams.run = Seams();
  seams.intervalMinutes = &g_settings.intervalMinutes;
  seams.refreshStatus = [this] { status.RefreshStatus(); };
  seams.stopWait = schedulerStopWait;
  return seams;
}

}  // namespace qs
