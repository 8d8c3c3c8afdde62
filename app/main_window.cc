// Settings are loaded before any control exists, and the threads start only once every
// control exists, so they always find the handles set.
#include "app/main_window.h"

#include "app/app_state.h"
#include "app/auto_backup_switch.h"
#include "app/commands.h"
#include "app/window_preferences.h"
#include "settings/settings_file.h"

namespace qs {

namespace {

std::string InitialText(const ControlRow& row) {
  switch (row.keptAs) {
    case KeptAs::kSourceEdit:
      return g_settings.sourceDir;
    case KeptAs::kTargetEdit:
      return g_settings.targetDir;
    case KeptAs::kIntervalEdit:
      return std::to_string(g_settings.intervalMinutes);
    default:
      return row.layout.text;
  }
}

Control** HandleFor(KeptAs kept) {
  switch (kept) {
    case KeptAs::kClockLabel:
      return &g_hClockLabel;
    case KeptAs::kStatusLabel:
      return &g_hStatusLabel;
    case KeptAs::kCountdownLabel:
      return &g_hCountdownLabel;
    case KeptAs::kSourceEdit:
      return &g_hSourceEdit;
    case KeptAs::kTargetEdit:
      return &g_hTargetEdit;
    case KeptAs::kIntervalEdit:
      return &g_hIntervalEdit;
    case KeptAs::kAutoBackupCheck:
      return &g_hAutoBackupCheck;
    case KeptAs::kTimeVersioningCheck:
      return &g_hTimeVersioningCheck;
    case KeptAs::kStartButton:
      return &g_hStartButton;
    case KeptAs::kBackupLog:
      return &g_hBackupLog;
    case KeptAs::kFileLog:
      return &g_hFileLog;
    case KeptAs::kBackupWhenClosedCheck:
      return &g_hBackupWhenClosedCheck;
    case KeptAs::kNotifyOnSuccessCheck:
      return &g_hNotifyOnSuccessCheck;
    case KeptAs::kOverdueLabel:
      return &g_hOverdueLabel;
    default:
      return nullptr;
  }
}

void Keep(KeptAs kept, Control* control) {
  if (Control** handle = HandleFor(kept)) *handle = control;
}

void TickCheckBoxes() {
  if (g_settings.autoBackupEnabled) g_hAutoBackupCheck->SetChecked(true);
  if (g_settings.timeVersioning) g_hTimeVersioningCheck->SetChecked(true);
}

}  // namespace

void OnCreate(AppContext& app, MainWindow& window, const std::function<void()>& start_clock) {
  g_settings.Store(LoadSettings(app.settingsPath));
  LoadWindowPreferences(app);
  for (size_t i = 0; i < kControlCount; ++i) {
    if (i == kControlsBeforeTicks) TickCheckBoxes();
    const ControlRow& row = kControls[i];
    Keep(row.keptAs, window.CreateControl(row.layout, InitialText(row)));
  }
  for (const ControlRow& row : kAddedControls)
    Keep(row.keptAs, window.CreateControl(row.layout, row.layout.text));
  g_hBackupWhenClosedCheck->SetChecked(app.backupWhenClosed);
  g_hNotifyOnSuccessCheck->SetChecked(app.notifyOnSuccess);
  app.overdue.WatchTarget(g_settings.targetDir);
  start_clock();
  if (g_settings.autoBackupEnabled) SetAutoBackup(app, true);
}

void OnClose(AppContext& app, MainWindow& window) {
  AppSettings settings = WithFieldsRead(g_settings.Snapshot());
  settings.autoBackupEnabled = g_hAutoBackupCheck->IsChecked();
  settings.timeVersioning = g_hTimeVersioningCheck->IsChecked();
  g_settings.Store(settings);
  SaveSettings(g_settings.Snapshot(), app.settingsPath);
  app.overdue.WatchTarget(g_settings.targetDir);
  SetAutoBackup(app, false);
  window.Destroy();
}

}  // namespace qs
