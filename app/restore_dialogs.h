// The handlers of the menu's two restore commands. Window thread only.
#pragma once

#include "app/app_context.h"

namespace qs {

/// "Restore Files...": the dialog over the target field's target, made at the first call and
/// kept; a call while it is shown brings it up as it is.
void OpenRestoreDialog(AppContext& app);

/// "Versions of a File...": likewise.
void OpenVersionsDialog(AppContext& app);

}  // namespace qs
