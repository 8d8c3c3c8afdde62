// The window's commands. Typed text reaches g_settings only through the auto-backup box and
// the close; "Start Backup Now" reads the fields itself.
#include "app/commands.h"

#include <atomic>
#include <memory>

#include "app/app_state.h"
#include "app/auto_backup_switch.h"
#include "app/control_table.h"
#include "app/field_drop.h"
#include "app/main_window.h"
#include "app/menu_table.h"
#include "app/settings_save.h"
#include "app/window_preferences.h"
#include "engine/backup_request.h"
#include "engine/dry_run_file_system.h"
#include "log/backup_log.h"
#include "log/file_log.h"
#include "schedule/manual_backup.h"
#include "schedule/settings_exclusions.h"
#include "settings/exclusions_file.h"
#include "settings/settings_file.h"

namespace qs {

namespace {

/// While the button is greyed for a run it started: the menu's entries refuse then, as the
/// greyed button does. Cleared by the worker as it enables the button again.
std::atomic<bool> g_buttonGreyed{false};

/// A dry run's file system, alive as long as the worker that holds it among its seams.
struct DryRunHold {
  DryRunHold(std::shared_ptr<const void> ticket, FileSystem& real)
      : ticket(std::move(ticket)), fs(real) {}
  std::shared_ptr<const void> ticket;
  DryRunFileSystem fs;
};

/// Trims both logs, greys the button and starts the worker.
void StartOnWorker(const BackupOptions& request, const RunSeams& seams) {
  TrimBackupLog(PaneOf(g_hBackupLog));
  TrimFileLog(PaneOf(g_hFileLog));
  g_hStartButton->Enable(false);
  g_buttonGreyed = true;
  const auto finished = [] {
    g_buttonGreyed = false;
    g_hStartButton->Enable(true);
  };
  // No worker: leave the button usable rather than greyed for good.
  if (!StartManualBackup(request, seams, finished)) finished();
}

/// False, with a sentence in the backup log, while the button is greyed.
bool ButtonUsable(AppContext& app) {
  if (!g_buttonGreyed) return true;
  LogEntry(app.Seams(), "A backup started from this window is still running; wait for it to end.");
  return false;
}

}  // namespace

void OnCommand(AppContext& app, int id) {
  if (id == 0) return;
  for (const ControlRow& row : kControls) {
    if (row.layout.id == id && row.onCommand != nullptr) return row.onCommand(app);
  }
  for (const AddedControlRow& row : kAddedControls) {
    if (row.layout.id == id && row.onCommand != nullptr) return row.onCommand(app);
  }
  for (const MenuRow& row : kMenuRows) {
    if (row.item.id == id && row.onCommand != nullptr) return row.onCommand(app);
  }
}

void WindowCommands::OnCommand(int id) { qs::OnCommand(app_, id); }

void WindowCommands::OnClose() { qs::OnClose(app_, *window); }

void WindowCommands::OnDrop(Control& control, const std::vector<std::string>& paths) {
  OnFieldDrop(app_, control, paths);
}

AppSettings WithFieldsRead(AppSettings settings) {
  settings.sourceDir = g_hSourceEdit->GetText(kPathFieldMaxCount);
  settings.targetDir = g_hTargetEdit->GetText(kPathFieldMaxCount);
  settings.intervalMinutes = ParseIntervalText(g_hIntervalEdit->GetText(kIntervalFieldMaxCount));
  return settings;
}

bool RunRequestFromFields(AppContext& app, bool dry_run, BackupOptions* request) {
  Exclusions exclusions;
  std::string why;
  if (!LoadSettingsExclusions(ExclusionsPathBeside(app.settingsPath), &exclusions, &why)) {
    LogEntry(app.Seams(), why + " No backup was started.");
    return false;
  }
  *request = BackupRequest(g_hSourceEdit->GetText(kPathFieldMaxCount),
                           g_hTargetEdit->GetText(kPathFieldMaxCount), g_settings.timeVersioning)
                 .Excluding(std::move(exclusions))
                 .DryRun(dry_run)
                 .MeasuringSizes(true)  // the last-backup line shows the bytes done
                 .Build();
  return true;
}

void OnStartBackupNow(AppContext& app) {
  BackupOptions request;
  if (RunRequestFromFields(app, false, &request)) StartOnWorker(request, app.Seams());
}

void OnMenuStartBackup(AppContext& app) {
  if (ButtonUsable(app)) OnStartBackupNow(app);
}

void OnDryRun(AppContext& app) {
  BackupOptions request;
  if (!ButtonUsable(app) || !RunRequestFromFields(app, true, &request)) return;
  RunSeams seams = app.Seams();
  const auto hold = std::make_shared<DryRunHold>(seams.presence, app.fs);
  seams.services.fs = &hold->fs;
  seams.presence = hold;
  // Nothing was backed up: no notification says a backup went well or failed.
  seams.notifier = nullptr;
  StartOnWorker(request, seams);
}

void OnExit(AppContext& app) { OnClose(app, *app.window); }

void OnAutoBackupClicked(AppContext& app) {
  const bool on = g_hAutoBackupCheck->IsChecked();
  AppSettings settings = WithFieldsRead(g_settings.Snapshot());
  settings.autoBackupEnabled = on;
  g_settings.Store(settings);
  SaveStoredSettings(app);
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
  SaveStoredSettings(app);
  LogEntry(app.Seams(),
           std::string("=== Time versioning ") + (on ? "ENABLED" : "DISABLED") + " ===");
}

}  // namespace qs
