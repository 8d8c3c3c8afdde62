// Status texts are built from single atomic values, read whole, without a lock.
#include "app/status_display.h"

#include <cstdio>

#include "app/app_state.h"
#include "log/log_time.h"

namespace qs {

namespace {

constexpr int64_t kNanosPerSecond = 1000000000;
const char kAnyMoment[] = "Next backup: Any moment...";

std::string FormatRemaining(int32_t s) {
  const int32_t days = s / 86400;
  const int32_t hours = (s - days * 86400) / 3600;
  const int32_t minutes = (s % 3600) / 60;
  const int32_t seconds = s % 60;
  std::string text = "Next backup in: ";
  if (days > 0) text += std::to_string(days) + (days > 1 ? " days " : " day ");
  char field[16];
  if (hours > 0 || days > 0) {
    std::snprintf(field, sizeof field, "%02d:", hours);
    text += field;
  }
  std::snprintf(field, sizeof field, "%02d:%02d", minutes, seconds);
  return text + field;
}

}  // namespace

std::string CountdownText(bool auto_backup_running, bool backup_in_progress,
                          int64_t next_backup_time, int64_t now) {
  if (!auto_backup_running) return "Auto backup not running";
  if (backup_in_progress) return "Backup in progress...";
  if (now >= next_backup_time) return kAnyMoment;
  // The scheduler limits intervals so that the seconds left always fit 32 bits.
  const int32_t s = static_cast<int32_t>((next_backup_time - now) / kNanosPerSecond);
  if (s <= 0) return kAnyMoment;
  return FormatRemaining(s);
}

std::string StatusDisplay::Countdown() {
  return CountdownText(g_autoBackupRunning, g_backupInProgress, g_nextBackupTime,
                       clock_.MonotonicNanos());
}

void StatusDisplay::RefreshStatus() {
  if (g_hStatusLabel == nullptr || g_hClockLabel == nullptr || g_hCountdownLabel == nullptr) return;
  g_hStatusLabel->SetText(g_autoBackupRunning ? "Auto Backup: ACTIVE" : "Auto Backup: INACTIVE");
  g_hClockLabel->SetText(CurrentTimeText(clock_));
  g_hCountdownLabel->SetText(Countdown());
}

void StatusDisplay::OnRunEvent(const RunEvent& event) {
  if (event.kind == RunEventKind::kStarted || event.kind == RunEventKind::kEnded)
    g_backupInProgress = event.kind == RunEventKind::kStarted;
  // A file found unchanged and a wait for copies change nothing shown here: a refresh for each
  // would cost a large unchanged run a trip to the window thread per file.
  if (event.kind == RunEventKind::kSkipped || event.kind == RunEventKind::kCopying) return;
  RefreshStatus();
}

void StatusDisplay::RunClock(const std::function<void()>& each_second) {
  for (;;) {
    RefreshStatus();
    each_second();
    clock_.SleepMillis(1000);
  }
}

}  // namespace qs
