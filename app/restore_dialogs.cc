#include "app/restore_dialogs.h"

#include "app/restore_dialog.h"
#include "app/versions_dialog.h"

namespace qs {

namespace {

/// The dialog kept in `slot`, made the first time.
template <typename Dialog>
Dialog& Kept(AppContext& app, std::shared_ptr<void>& slot) {
  if (slot == nullptr) slot = std::make_shared<Dialog>(app);
  return *static_cast<Dialog*>(slot.get());
}

}  // namespace

void OpenRestoreDialog(AppContext& app) { Kept<RestoreDialog>(app, app.restoreDialog).Open(); }

void OpenVersionsDialog(AppContext& app) { Kept<VersionsDialog>(app, app.versionsDialog).Open(); }

}  // namespace qs
