// The seams of the desktop program — file system, clock, settings and preferences files,
// status area, notifier, the system's schedule — made once where the program starts and
// passed to every command. Tests make their own.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>

#include "app/control_table.h"
#include "app/overdue_watch.h"
#include "app/status_display.h"
#include "os/clock.h"
#include "os/file_system.h"
#include "os/notifier.h"
#include "schedule/auto_backup.h"
#include "schedule/backup_trigger.h"
#include "schedule/run_seams.h"
#include "settings/preferences_file.h"
#include "settings/settings_file.h"

namespace qs {

struct AppContext {
  AppContext(FileSystem& file_system, Clock& program_clock)
      : fs(file_system), clock(program_clock), status(program_clock), overdue(fs, clock) {}

  FileSystem& fs;
  Clock& clock;
  /// Where the settings are loaded from and saved to.
  std::string settingsPath = kSettingsFileName;
  StatusDisplay status;
  /// Where the two check boxes of the preferences are kept; written under preferencesMutex.
  std::string preferencesPath = kPreferencesFileName;
  std::mutex preferencesMutex;
  /// "Notify when a backup succeeds" and "Also back up when this window is closed", as the
  /// boxes last said (for the latter: once the system's schedule agreed).
  std::atomic<bool> notifyOnSuccess{false};
  std::atomic<bool> backupWhenClosed{false};
  /// Raises the notification of each run's outcome and of an overdue backup; null: none.
  Notifier* notifier = nullptr;
  /// Installs (true) or removes the system's schedule of backups with the window closed;
  /// what happened goes to `out`, a sentence a line; 0 when done. Null: none can be set up.
  /// Called on a worker: it may wait for the system.
  std::function<int(bool install, std::ostream& out)> systemSchedule;
  /// The controls made after the twenty; null until the window makes them.
  AddedControls added;
  /// The overdue line's watch of the stored target.
  OverdueWatch overdue;
  /// The overdue line as last shown; the clock thread's.
  std::string overdueShown;
  /// What starts backups while the window is open: the program's interval scheduler.
  BackupTrigger* autoBackup = &ProgramIntervalTrigger();
  /// How long a stop waits for the scheduler thread.
  std::chrono::milliseconds schedulerStopWait{5000};
  /// The threads the window started (scheduler, manual workers) that are still at work.
  ThreadCount threads;

  /// The panes, the status area and the services of every backup the window starts.
  RunSeams Seams();
  SchedulerSeams ForScheduler();
};

}  // namespace qs
