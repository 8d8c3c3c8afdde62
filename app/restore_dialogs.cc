#include "app/restore_dialogs.h"

#include "app/kept_dialog.h"
#include "app/restore_dialog.h"
#include "app/versions_dialog.h"

namespace qs {

void OpenRestoreDialog(AppContext& app) {
  OpenKept<RestoreDialog>(app, app.restoreDialog, "Restore Files");
}

void OpenVersionsDialog(AppContext& app) {
  OpenKept<VersionsDialog>(app, app.versionsDialog, "Versions of a File");
}

}  // namespace qs
