// The window's commands. Typed text reaches g_settings only through the auto-backup box and
// the close; "Start Backup Now" reads the fields itself.
#include "app/commands.h"

#include "app/app_state.h"
#include "app/auto_backup_switch.h"
#include "app/control_table.h"
#include "app/window_preferences.h"
#include "engine/backup_request.h"
#include "log/backup_log.h"
#include "log/file_log.h"
#include "schedule/manual_backup.h"
#include "settings/settings_file.h"

namespace qs {

void OnCommand(AppContext& app, int id) {
  if (id == 0) return;
  for (const ControlRow& row : kControls) {
    if (row.layout.id == id && row.onCommand != nullptr) return row.onCommand(app);
  }
  for (const AddedControlRow& row : kAddedControls) {
    if (row.layout.id == id && row.onCommand != nullptr) return row.onCommand(app);
  }
}

AppSettings WithFieldsRead(AppSettings settings) {
  settings.sourceDir = g_hSourceEdit->GetText(kPathFieldMaxCount);
  settings.targetDir = g_hTargetEdit->GetText(kPathFieldMaxCount);
  settings.intervalMinutes = ParseIntervalText(g_hIntervalEdit->GetText(kIntervalFieldMaxCount));
  return settings;
}

BackupOptions RequestFromFields() {
  return BackupRequest(g_hSourceEdit->GetText(kPathFieldMaxCount),
                       g_hTargetEdit->GetText(kPathFieldMaxCount), g_settings.timeVersioning)
      .Build();
}

void OnStartBackupNow(AppContext& app) {
  const BackupOptions request = RequestFromFields();
  TrimBackupLog(PaneOf(g_hBackupLog));
  TrimFileLog(PaneOf(g_hFileLog));
  g_hStartButton->Enable(false);
  const auto finished = [] { g_hStartButton->Enable(true); };
  // No worker: leave the button usable rather than greyed for good.
  if (!StartManualBackup(request, app.Seams(), finished)) g_hStartButton->Enable(true);
}

void OnAutoBackupClicked(AppContext& app) {
  const bool on = g_hAutoBackupCheck->IsChecked();
  AppSettings settings = WithFieldsRead(g_settings.Snapshot());
  settings.autoBackupEnabled = on;
  g_settings.Store(settings);
  SaveSettings(g_settings.Snapshot(), app.settingsPath);
  app.overdue.WatchTarget(g_settings.targetDir);
  SetAutoBackup(app, on);
}

void OnClearLog(AppContext& app) {
  LogPane* pane = PaneOf(g_hBackupLog);
  if (pane == nullptr) return LogEntry(app.Seams(), "=== Log cleared ===");
  // One unit, so that an entry of a run under way cannot fall between the two.
  pane->RunAsUnit([&] {
    pane->SetText("");
    LogEntry(app.Seams(), "=== Log cleared ===");
  });
}

void OnClearFileLog(AppContext&) { ResetFileLog(PaneOf(g_hFileLog)); }

void OnTimeVersioningClicked(AppContext& app) {
  const bool on = g_hTimeVersioningCheck->IsChecked();
  g_settings.timeVersioning = on;
  SaveSettings(g_settings.Snapshot(), app.settingsPath);
  LogEntry(app.Seams(),
           std::string("=== Time versioning ") + (on ? "ENABLED" : "DISABLED") + " ===");
}

}  // namespace qs
