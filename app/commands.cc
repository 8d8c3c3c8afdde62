// The window's commands. Typed text reaches g_settings only through the auto-backup box and
// the close; "Start Backup Now" reads the fields itself.
#include "app/commands.h"

#include "app/app_state.h"
#include "app/control_table.h"
#include "engine/backup_job.h"
#include "log/file_log.h"
#include "schedule/auto_backup.h"
#include "schedule/manual_backup.h"
#include "settings/settings_file.h"

namespace qs {

namespace {

// A job that holds only the backup log pane, for the window's own entries.
void LogWindowMessage(const std::string& message) {
  BackupJob job("", "", g_hBackupLog, nullptr, false, AppJobServices());
  job.LogMessage(message);
}

}  // namespace

void OnCommand(int id) {
  switch (static_cast<ControlId>(id)) {
    case ControlId::kStartBackup:
      return OnStartBackupNow();
    case ControlId::kAutoBackup:
      return OnAutoBackupClicked();
    case ControlId::kClearLog:
      return OnClearLog();
    case ControlId::kClearFileLog:
      return OnClearFileLog();
    case ControlId::kTimeVersioning:
      return OnTimeVersioningClicked();
    case ControlId::kNone:
      break;
  }
}

AppSettings WithFieldsRead(AppSettings settings) {
  settings.sourceDir = g_hSourceEdit->GetText(kPathFieldMaxCount);
  settings.targetDir = g_hTargetEdit->GetText(kPathFieldMaxCount);
  settings.intervalMinutes = ParseIntervalText(g_hIntervalEdit->GetText(kIntervalFieldMaxCount));
  return settings;
}

void OnStartBackupNow() { StartManualBackup(); }

void OnAutoBackupClicked() {
  const bool on = g_hAutoBackupCheck->IsChecked();
  AppSettings settings = WithFieldsRead(g_settings);
  settings.autoBackupEnabled = on;
  StoreSettings(settings);
  SaveSettings(g_settings, g_settingsPath);
  SetAutoBackup(on);
}

void OnClearLog() {
  if (g_hBackupLog == nullptr) return LogWindowMessage("=== Log cleared ===");
  // One unit, so that an entry of a run under way cannot fall between the two.
  g_hBackupLog->RunAsUnit([] {
    g_hBackupLog->SetText("");
    LogWindowMessage("=== Log cleared ===");
  });
}

void OnClearFileLog() { ResetFileLog(g_hFileLog); }

void OnTimeVersioningClicked() {
  const bool on = g_hTimeVersioningCheck->IsChecked();
  StoreTimeVersioning(on);
  SaveSettings(g_settings, g_settingsPath);
  LogWindowMessage(std::string("=== Time versioning ") + (on ? "ENABLED" : "DISABLED") + " ===");
}

}  // namespace qs
