// The switch of the automatic backup, shared by the check box, window creation and close.
#pragma once

#include "app/app_context.h"

namespace qs {

/// Starts the scheduler with the interval field's value (60 for 0, empty or less; at most the
/// longest interval), stored in the settings, the stored source, target and versioning, and
/// the exclusions file beside the settings (one that cannot be used starts nothing: the
/// reason goes to the backup log); or stops it. Starting a running one or stopping a stopped one
/// only refreshes the status. Window thread only.
void SetAutoBackup(AppContext& app, bool enable);

}  // namespace qs
