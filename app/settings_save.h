// The window's saves of backup_config.dat: one that fails says so in the backup log.
#pragma once

#include "app/app_context.h"

namespace qs {

/// Saves the stored settings to the context's settings file; when that cannot be done, one
/// backup log entry names the file and the system's reason. Any thread.
void SaveStoredSettings(AppContext& app);

}  // namespace qs
