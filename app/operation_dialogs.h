// The window's handlers of the operations beside a backup: prune, check, and opening the
// target folder. Window thread only.
#pragma once

#include "app/app_context.h"

namespace qs {

/// "Prune Versions...": shows the dialog, made the first time it is asked for.
void OpenPruneDialog(AppContext& app);
/// "Check Copies...": likewise.
void OpenCheckDialog(AppContext& app);
/// "Open Target Folder": the target field's folder in the desktop's file manager, asked for
/// on a worker; a folder that is missing, or a desktop that cannot open it, is one sentence
/// in the backup log.
void OpenTargetFolder(AppContext& app);

/// The target field as typed.
std::string TypedTarget();

}  // namespace qs
