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
#include "app/last_backup_line.h"
#include "app/overdue_watch.h"
#include "app/status_display.h"
#include "os/clock.h"
#include "os/desktop_open.h"
#include "os/file_system.h"
#include "os/notifier.h"
#include "schedule/auto_backup.h"
#include "schedule/backup_trigger.h"
#include "schedule/run_seams.h"
#include "schedule/target_claims.h"
#include "settings/preferences_file.h"
#include "settings/settings_file.h"

namespace qs {

class PruneDialog;
class CheckDialog;

struct AppContext {
  AppContext(FileSystem& file_system, Clock& program_clock)
      : fs(file_system),
        clock(program_clock),
        status(program_clock),
        overdue(fs, clock),
        lastBackup(fs, clock) {}

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
  /// The main window, for its choosers and dialogs; null until it is made.
  MainWindow* window = nullptr;
  /// The exclusions and about dialogs, each kept until it is opened again: a dialog must not
  /// be destroyed inside one of its own events. Window thread only.
  std::unique_ptr<WindowEvents> exclusionsDialog;
  std::unique_ptr<WindowEvents> aboutDialog;
  /// The controls made after the twenty; null until the window makes them.
  AddedControls added;
  /// The overdue line's watch of the stored target.
  OverdueWatch overdue;
  /// The overdue line as last shown; the clock thread's.
  std::string overdueShown;
  /// The line of how the last backup went, or how the one under way goes.
  LastBackupLine lastBackup;
  /// What starts backups while the window is open: the program's interval scheduler.
  BackupTrigger* autoBackup = &ProgramIntervalTrigger();
  /// How long a stop waits for the scheduler thread.
  std::chrono::milliseconds schedulerStopWait{5000};
  /// The threads the window started (scheduler, manual workers) that are still at work.
  ThreadCount threads;
  /// The targets the window's operations (backups, prunes, checks, restores) are working in.
  TargetClaims claims;
  /// Opens a folder with the desktop's file manager; false with the reason in `why`. Called
  /// on a worker: it may wait.
  std::function<bool(const std::string& path, std::string* why)> openWithDesktop = OpenWithDesktop;
  /// The operation dialogs, made when first asked for and kept (hidden) once closed.
  std::shared_ptr<PruneDialog> pruneDialog;
  std::shared_ptr<CheckDialog> checkDialog;
  /// The restore and versions dialogs once opened: kept for the life of the program, so that
  /// none is destroyed inside one of its own events and a worker's answer always finds it.
  std::shared_ptr<void> restoreDialog;
  std::shared_ptr<void> versionsDialog;

  /// The panes, the status area and the services of every backup the window starts.
  RunSeams Seams();
  SchedulerSeams ForScheduler();
};

}  // namespace qs
