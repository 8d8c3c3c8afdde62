// The interval is read from its field at the start only; the scheduler then reads the stored
// value at every cycle.
#include "app/auto_backup_switch.h"

#include "app/app_state.h"
#include "app/control_table.h"
#include "engine/backup_request.h"

namespace qs {

void SetAutoBackup(AppContext& app, bool enable) {
  if (!enable) {
    app.autoBackup->Stop(app.ForScheduler());
  } else if (!app.autoBackup->Running()) {
    const std::string typed = g_hIntervalEdit->GetText(kIntervalFieldMaxCount);
    g_settings.intervalMinutes = UsableInterval(ParseIntervalText(typed));
    app.autoBackup->Start(
        BackupRequest(g_settings.sourceDir, g_settings.targetDir, g_settings.timeVersioning)
            .Build(),
        app.ForScheduler());
  }
  app.status.RefreshStatus();
}

}  // namespace qs
