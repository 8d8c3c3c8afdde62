// The commands of the main window, each turned into one named handler. Window thread only.
#pragma once

#include <string>
#include <vector>

#include "app/app_context.h"
#include "app/window_controls.h"
#include "engine/backup_results.h"
#include "settings/settings.h"

namespace qs {

/// Runs the handler of the control whose command id is `id`; other ids do nothing.
void OnCommand(AppContext& app, int id);

/// What the main window's user does, as the window hears it: clicks and menu entries go
/// straight to their handlers, drops to the field they fell on.
class WindowCommands : public WindowEvents {
 public:
  explicit WindowCommands(AppContext& app) : app_(app) {}
  void OnCommand(int id) override;
  void OnClose() override;
  void OnDrop(Control& control, const std::vector<std::string>& paths) override;
  /// The window the close request ends; set once it is made.
  MainWindow* window = nullptr;

 private:
  AppContext& app_;
};

/// Reads the fields and the exclusions, trims both logs, greys the button and starts the
/// worker. Exclusions that cannot be used start nothing: the reason goes to the backup log.
void OnStartBackupNow(AppContext& app);
/// The menu's "Start Backup Now": the button's command, refused while the button is greyed.
void OnMenuStartBackup(AppContext& app);
/// A dry run of the fields as typed, with the exclusions, on a worker as a backup is; refused
/// while the button is greyed, which it is for the dry run too.
void OnDryRun(AppContext& app);
/// The menu's "Exit": what the close request does.
void OnExit(AppContext& app);
/// Stores the fields and the box into the settings, saves them, starts or stops the scheduler.
void OnAutoBackupClicked(AppContext& app);
/// Empties the backup log and logs that it was cleared.
void OnClearLog(AppContext& app);
void OnClearFileLog(AppContext& app);
/// Stores the box into the settings, saves them (fields not read) and logs the new state.
void OnTimeVersioningClicked(AppContext& app);

/// `settings` with source, target and interval as the fields hold them now.
AppSettings WithFieldsRead(AppSettings settings);

/// A backup of the source and target fields as typed now, with the versioning setting, the
/// exclusions file beside the settings, and dry or not; false, with the reason in the backup
/// log, when that file cannot be read or holds a refused line.
bool RunRequestFromFields(AppContext& app, bool dry_run, BackupOptions* request);

}  // namespace qs
