// The two check boxes of backup_preferences.txt: "Also back up when this window is closed"
// sets up or removes the system's schedule, "Notify when a backup succeeds" is read by every
// run's notification. Window thread only.
#pragma once

#include <string>

#include "app/app_context.h"

namespace qs {

/// Reads the preferences into the context before the boxes exist.
void LoadWindowPreferences(AppContext& app);

/// Stores the box, saves it and logs the new state.
void OnNotifyOnSuccessClicked(AppContext& app);

/// Saves the fields to backup_config.dat (the schedule runs with them), then installs or
/// removes the system's schedule on a worker, the box greyed meanwhile. The outcome is one
/// line in the backup log; when it fails, the box goes back to what it was.
void OnBackupWhenClosedClicked(AppContext& app);

/// The sentences of `text`, one a line, as one line.
std::string OneLine(const std::string& text);

}  // namespace qs
