// The schedule is set up on a thread of its own: systemctl or schtasks may take their time,
// and the window never waits for them.
#include "app/window_preferences.h"

#include <sstream>
#include <system_error>
#include <thread>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/settings_save.h"
#include "schedule/run_seams.h"
#include "settings/file_replace.h"

namespace qs {

namespace {

/// Changes one preference in the file, keeping the others as the file has them.
void SavePreference(AppContext& app, bool Preferences::*key, bool on) {
  std::lock_guard<std::mutex> lock(app.preferencesMutex);
  Preferences preferences = LoadPreferences(app.preferencesPath);
  preferences.*key = on;
  std::string why;
  if (!SavePreferences(preferences, app.preferencesPath, &why))
    LogEntry(app.Seams(), NotSavedText(app.preferencesPath, why));
}

void SetUpScheduleWorker(AppContext* app, RunSeams seams, bool install) {
  std::ostringstream out;
  const int status = app->systemSchedule ? app->systemSchedule(install, out) : 1;
  if (!app->systemSchedule) out << "This program cannot set up the system's schedule.\n";
  const std::string done = install ? "installed" : "removed";
  if (status == 0) {
    app->backupWhenClosed = install;
    SavePreference(*app, &Preferences::backupWhenClosed, install);
    LogEntry(seams, "Background schedule " + done + ": " + OneLine(out.str()));
  } else {
    app->added.backupWhenClosedCheck->SetChecked(!install);
    LogEntry(seams, "Background schedule not " + done + ": " + OneLine(out.str()));
  }
  app->added.backupWhenClosedCheck->Enable(true);
}

}  // namespace

std::string OneLine(const std::string& text) {
  std::string line;
  std::istringstream lines(text);
  for (std::string part; std::getline(lines, part);) {
    const size_t start = part.find_first_not_of(" \t\r");
    if (start == std::string::npos) continue;
    const size_t end = part.find_last_not_of(" \t\r");
    if (!line.empty()) line += ' ';
    line += part.substr(start, end - start + 1);
  }
  return line;
}

void LoadWindowPreferences(AppContext& app) {
  std::lock_guard<std::mutex> lock(app.preferencesMutex);
  const Preferences preferences = LoadPreferences(app.preferencesPath);
  app.notifyOnSuccess = preferences.notifyOnSuccess;
  app.backupWhenClosed = preferences.backupWhenClosed;
}

void OnNotifyOnSuccessClicked(AppContext& app) {
  const bool on = app.added.notifyOnSuccessCheck->IsChecked();
  app.notifyOnSuccess = on;
  SavePreference(app, &Preferences::notifyOnSuccess, on);
  LogEntry(app.Seams(),
           std::string("=== Success notifications ") + (on ? "ENABLED" : "DISABLED") + " ===");
}

void OnBackupWhenClosedClicked(AppContext& app) {
  const bool install = app.added.backupWhenClosedCheck->IsChecked();
  if (install) {
    // The schedule runs the runner on backup_config.dat: it must hold what the window shows.
    g_settings.Store(WithFieldsRead(g_settings.Snapshot()));
    SaveStoredSettings(app);
    app.overdue.WatchTarget(g_settings.targetDir);
  }
  app.added.backupWhenClosedCheck->Enable(false);
  try {
    std::thread(SetUpScheduleWorker, &app, app.Seams(), install).detach();
  } catch (const std::system_error&) {
    app.added.backupWhenClosedCheck->SetChecked(!install);
    app.added.backupWhenClosedCheck->Enable(true);
    LogEntry(app.Seams(), "Background schedule not changed: no thread could be started.");
  }
}

}  // namespace qs
