// Definitions of the shared state, with their values at process start.
#include "app/app_state.h"

namespace qs {

AppSettings g_settings{"", "", 0, false, false};
std::atomic<int32_t> g_intervalMinutes{0};
std::atomic<bool> g_timeVersioning{false};

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
}

}  // namespace qs
