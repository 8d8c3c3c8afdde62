// Definitions of the shared state, with their values at process start.
#include "app/app_state.h"

namespace qs {

SharedSettings g_settings;

AppSettings SharedSettings::Snapshot() const {
  return {sourceDir, targetDir, intervalMinutes.load(), autoBackupEnabled.load(),
          timeVersioning.load()};
}

void SharedSettings::Store(const AppSettings& settings) {
  sourceDir = settings.sourceDir;
  targetDir = settings.targetDir;
  intervalMinutes = settings.intervalMinutes;
  autoBackupEnabled = settings.autoBackupEnabled;
  timeVersioning = settings.timeVersioning;
}

Control* g_hSourceEdit = nullptr;
Control* g_hTargetEdit = nullptr;
Control* g_hIntervalEdit = nullptr;
Control* g_hAutoBackupCheck = nullptr;
Control* g_hTimeVersioningCheck = nullptr;
Control* g_hStartButton = nullptr;
Control* g_hBackupLog = nullptr;
Control* g_hFileLog = nullptr;
Control* g_hClockLabel = nullptr;
Control* g_hStatusLabel = nullptr;
Control* g_hCountdownLabel = nullptr;

std::atomic<bool> g_backupInProgress{false};

LogPane* PaneOf(Control* control) { return control != nullptr ? control->AsLogPane() : nullptr; }

}  // namespace qs
