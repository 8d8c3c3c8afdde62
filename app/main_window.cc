// Settings are loaded before any control exists, and the threads start only once every
// control exists, so they always find the handles set.
#include "app/main_window.h"

#include "app/app_main.h"
#include "app/app_state.h"
#include "app/auto_backup_switch.h"
#include "app/commands.h"
#include "app/menu_table.h"
#include "app/settings_save.h"
#include "app/window_preferences.h"
#include "settings/settings_file.h"

namespace qs {

namespace {

std::string InitialText(const ControlRow& row) {
  if (row.keptIn == &g_hSourceEdit) return g_settings.sourceDir;
  if (row.keptIn == &g_hTargetEdit) return g_settings.targetDir;
  if (row.keptIn == &g_hIntervalEdit) return std::to_string(g_settings.intervalMinutes);
  return row.layout.text;
}

void TickCheckBoxes() {
  if (g_settings.autoBackupEnabled) g_hAutoBackupCheck->SetChecked(true);
  if (g_settings.timeVersioning) g_hTimeVersioningCheck->SetChecked(true);
}

}  // namespace

void OnCreate(AppContext& app, MainWindow& window, const std::function<void()>& start_clock) {
  app.window = &window;
  // The menu first: the window grows by its height before any control takes its place.
  window.SetMenu(MenuItems());
  g_settings.Store(LoadSettings(app.settingsPath));
  LoadWindowPreferences(app);
  for (size_t i = 0; i < kControlCount; ++i) {
    if (i == kControlsBeforeTicks) TickCheckBoxes();
    const ControlRow& row = kControls[i];
    Control* control = window.CreateControl(row.layout, InitialText(row));
    if (row.keptIn != nullptr) *row.keptIn = control;
  }
  for (const AddedControlRow& row : kAddedControls) {
    Control* control = window.CreateControl(row.layout, row.layout.text);
    if (row.keptIn != nullptr) app.added.*row.keptIn = control;
  }
  app.added.backupWhenClosedCheck->SetChecked(app.backupWhenClosed);
  app.added.notifyOnSuccessCheck->SetChecked(app.notifyOnSuccess);
  app.overdue.WatchTarget(g_settings.targetDir);
  start_clock();
  if (g_settings.autoBackupEnabled) SetAutoBackup(app, true);
}

void OnClose(AppContext& app, MainWindow& window) {
  AppSettings settings = WithFieldsRead(g_settings.Snapshot());
  settings.autoBackupEnabled = g_hAutoBackupCheck->IsChecked();
  settings.timeVersioning = g_hTimeVersioningCheck->IsChecked();
  g_settings.Store(settings);
  SaveStoredSettings(app);
  app.overdue.WatchTarget(g_settings.targetDir);
  SetAutoBackup(app, false);
  DumpPanesIfAsked();
  window.Destroy();
}

}  // namespace qs
