// The process-wide state shared by the window, the status clock, the scheduler and the
// manual backup worker. Texts are written by the window thread only; flags and the due time
// are atomics, read and written whole from any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "engine/backup_job.h"
#include "engine/backup_run.h"  // g_backupInProgress
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/window_controls.h"
#include "settings/settings.h"

namespace qs {

extern AppSettings g_settings;
/// The interval, kept apart from g_settings because the scheduler reads it on its own thread
/// at the start of every cycle; g_settings.intervalMinutes mirrors it on the window thread.
extern std::atomic<int32_t> g_intervalMinutes;
extern std::atomic<bool> g_timeVersioning;

/// Window thread only: replace g_settings, or one of its two mirrored fields, and the mirror.
void StoreSettings(const AppSettings& settings);
void StoreIntervalMinutes(int32_t minutes);
void StoreTimeVersioning(bool on);

// Control handles: null until window creation sets them, unchanged afterwards.
extern Control* g_hSourceEdit;
extern Control* g_hTargetEdit;
extern Control* g_hIntervalEdit;
extern Control* g_hAutoBackupCheck;
extern Control* g_hTimeVersioningCheck;
extern Control* g_hStartButton;
extern LogPane* g_hBackupLog;
extern LogPane* g_hFileLog;
extern Control* g_hClockLabel;
extern Control* g_hStatusLabel;
extern Control* g_hCountdownLabel;

extern std::atomic<bool> g_autoBackupRunning;
/// When the next scheduled run is due, in nanoseconds on the monotonic clock.
extern std::atomic<int64_t> g_nextBackupTime;

/// The clock every thread of the program reads; tests put a fake one here.
extern std::atomic<Clock*> g_clock;
/// The file system every backup run of the program uses; tests put a double here.
extern std::atomic<FileSystem*> g_fileSystem;
/// Where the settings are loaded from and saved to: "backup_config.dat" in the working
/// directory; tests point it elsewhere. Window thread only.
extern std::string g_settingsPath;

/// The seams of every job the program builds: g_fileSystem, g_clock, the status area, and
/// standard output for a job without a pane.
JobServices AppJobServices();

/// Puts every global back as at process start (tests).
void ResetAppState();

}  // namespace qs
