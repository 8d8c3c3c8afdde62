// The five commands of the main window, each turned into one named handler.
#pragma once

#include "settings/settings.h"

namespace qs {

/// Runs the command of control id `id` (1 to 5); other ids do nothing. Window thread only.
void OnCommand(int id);

void OnStartBackupNow();
/// Stores the fields and the box into the settings, saves them, starts or stops the scheduler.
void OnAutoBackupClicked();
/// Empties the backup log and logs that it was cleared.
void OnClearLog();
void OnClearFileLog();
/// Stores the box into the settings, saves them (fields not read) and logs the new state.
void OnTimeVersioningClicked();

/// `settings` with source, target and interval as the fields hold them now.
AppSettings WithFieldsRead(AppSettings settings);

}  // namespace qs
