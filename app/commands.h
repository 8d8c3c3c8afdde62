// The commands of the main window, each turned into one named handler. Window thread only.
#pragma once

#include "app/app_context.h"
#include "engine/backup_results.h"
#include "settings/settings.h"

namespace qs {

/// Runs the handler of the control whose command id is `id`; other ids do nothing.
void OnCommand(AppContext& app, int id);

/// Reads the fields, trims both logs, greys the button and starts the worker.
void OnStartBackupNow(AppContext& app);
/// Stores the fields and the box into the settings, saves them, starts or stops the scheduler.
void OnAutoBackupClicked(AppContext& app);
/// Empties the backup log and logs that it was cleared.
void OnClearLog(AppContext& app);
void OnClearFileLog(AppContext& app);
/// Stores the box into the settings, saves them (fields not read) and logs the new state.
void OnTimeVersioningClicked(AppContext& app);

/// `settings` with source, target and interval as the fields hold them now.
AppSettings WithFieldsRead(AppSettings settings);

/// A backup of the source and target fields as typed now, with the versioning setting.
BackupOptions RequestFromFields();

}  // namespace qs
