// The process-wide state shared by the window, the status clock, the scheduler and the
// manual backup worker: the settings, the control handles and the run flags. Texts are
// written by the window thread only; flags, the interval and the due time are atomics, read
// and written whole from any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "app/window_controls.h"
#include "schedule/auto_backup.h"  // g_autoBackupRunning, g_schedulerThread, g_nextBackupTime
#include "settings/settings.h"

namespace qs {

/// The five settings as the program holds them while it runs. The scheduler reads the
/// interval at every cycle and the worker the versioning switch at its start, on threads of
/// their own: those are atomics, so nothing needs a second copy of them.
struct SharedSettings {
  std::string sourceDir;  ///< window thread only
  std::string targetDir;  ///< window thread only
  std::atomic<int32_t> intervalMinutes{0};
  std::atomic<bool> autoBackupEnabled{false};
  std::atomic<bool> timeVersioning{false};

  AppSettings Snapshot() const;
  /// Window thread only.
  void Store(const AppSettings& settings);
};

extern SharedSettings g_settings;

// Control handles: null until window creation sets them, unchanged afterwards.
extern Control* g_hSourceEdit;
extern Control* g_hTargetEdit;
extern Control* g_hIntervalEdit;
extern Control* g_hAutoBackupCheck;
extern Control* g_hTimeVersioningCheck;
extern Control* g_hStartButton;
extern Control* g_hBackupLog;
extern Control* g_hFileLog;
extern Control* g_hClockLabel;
extern Control* g_hStatusLabel;
extern Control* g_hCountdownLabel;

/// True from the start to the end of every run, manual or scheduled. One flag, not a count:
/// when two runs overlap, the first to end clears it.
extern std::atomic<bool> g_backupInProgress;

/// The pane behind a log control; null before the window exists.
LogPane* PaneOf(Control* control);

}  // namespace qs
