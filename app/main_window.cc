// Settings are loaded before any control exists, and the threads start only once every
// control exists, so they always find the handles set.
#include "app/main_window.h"

#include <array>

#include "app/app_state.h"
#include "app/commands.h"
#include "schedule/auto_backup.h"
#include "settings/settings_file.h"

namespace qs {

namespace {

// Every control made, by row; they live as long as the process.
std::array<Control*, kControlCount> g_controls{};

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
    default:
      return nullptr;
  }
}

void Keep(KeptAs kept, Control* control) {
  if (kept == KeptAs::kBackupLog) g_hBackupLog = control->AsLogPane();
  if (kept == KeptAs::kFileLog) g_hFileLog = control->AsLogPane();
  if (Control** handle = HandleFor(kept)) *handle = control;
}

void TickCheckBoxes() {
  if (g_settings.autoBackupEnabled) g_hAutoBackupCheck->SetChecked(true);
  if (g_settings.timeVersioning) g_hTimeVersioningCheck->SetChecked(true);
}

}  // namespace

void OnCreate(MainWindow& window, const std::function<void()>& start_clock) {
  StoreSettings(LoadSettings(g_settingsPath));
  for (size_t i = 0; i < kControlCount; ++i) {
    if (i == kControlsBeforeTicks) TickCheckBoxes();
    const ControlRow& row = kControls[i];
    g_controls[i] = window.CreateControl(row.layout, InitialText(row));
    Keep(row.keptAs, g_controls[i]);
  }
  start_clock();
  if (g_settings.autoBackupEnabled) SetAutoBackup(true);
}

void OnClose(MainWindow& window) {
  AppSettings settings = WithFieldsRead(g_settings);
  settings.autoBackupEnabled = g_hAutoBackupCheck->IsChecked();
  settings.timeVersioning = g_hTimeVersioningCheck->IsChecked();
  StoreSettings(settings);
  SaveSettings(g_settings, g_settingsPath);
  SetAutoBackup(false);
  window.Destroy();
}

Control* FindControl(KeptAs kept) {
  for (size_t i = 0; i < kControlCount; ++i) {
    if (kControls[i].keptAs == kept) return g_controls[i];
  }
  return nullptr;
}

}  // namespace qs
