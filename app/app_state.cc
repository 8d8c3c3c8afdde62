// Definitions of the shared state, with their values at process start.
#include "app/app_state.h"

#include <iostream>

#include "app/status_display.h"
#include "settings/settings_file.h"

namespace qs {

AppSettings g_settings{"", "", 0, false, false};
std::atomic<int32_t> g_intervalMinutes{0};
std::atomic<bool> g_timeVersioning{false};

void StoreSettings(const AppSettings& settings) {
  g_settings = settings;
  g_intervalMinutes = settings.intervalMinutes;
  g_timeVersioning = settings.timeVersioning;
}

void StoreIntervalMinutes(int32_t minutes) {
  g_settings.intervalMinutes = minutes;
  g_intervalMinutes = minutes;
}

void StoreTimeVersioning(bool on) {
  g_settings.timeVersioning = on;
  g_timeVersioning = on;
}

Control* g_hSourceEdit = nullptr;
Control* g_hTargetEdit = nullptr;
Control* g_hIntervalEdit = nullptr;
Control* g_hAutoBackupCheck = nullptr;
Control* g_hTimeVersioningCheck = nullptr;
Control* g_hStartButton = nullptr;
LogPane* g_hBackupLog = nullptr;
LogPane* g_hFileLog = nullptr;
Control* g_hClockLabel = nullptr;
Control* g_hStatusLabel = nullptr;
Control* g_hCountdownLabel = nullptr;

std::atomic<bool> g_autoBackupRunning{false};
std::atomic<int64_t> g_nextBackupTime{0};
std::atomic<Clock*> g_clock{&RealClock()};
std::atomic<FileSystem*> g_fileSystem{&RealFileSystem()};
std::string g_settingsPath = kSettingsFileName;

JobServices AppJobServices() {
  JobServices services;
  services.fs = g_fileSystem;
  services.log.clock = g_clock;
  services.log.status = &TheStatusSink();
  services.log.console = &std::cout;
  return services;
}

void ResetAppState() {
  g_settings = AppSettings{"", "", 0, false, false};
  g_intervalMinutes = 0;
  g_timeVersioning = false;
  g_hSourceEdit = g_hTargetEdit = g_hIntervalEdit = nullptr;
  g_hAutoBackupCheck = g_hTimeVersioningCheck = g_hStartButton = nullptr;
  g_hBackupLog = g_hFileLog = nullptr;
  g_hClockLabel = g_hStatusLabel = g_hCountdownLabel = nullptr;
  g_autoBackupRunning = false;
  g_nextBackupTime = 0;
  g_backupInProgress = false;
  g_clock = &RealClock();
  g_fileSystem = &RealFileSystem();
  g_settingsPath = kSettingsFileName;
}

}  // namespace qs
