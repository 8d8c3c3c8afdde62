// The interval is read from its field at the start only; the scheduler then reads the stored
// value at every cycle. The exclusions, like the folders, are taken at the start.
#include "app/auto_backup_switch.h"

#include "app/app_state.h"
#include "app/control_table.h"
#include "engine/backup_request.h"
#include "schedule/settings_exclusions.h"
#include "settings/exclusions_file.h"

namespace qs {

namespace {

/// Starts the scheduler, unless the exclusions cannot be used: then it says why.
void StartWithExclusions(AppContext& app) {
  const std::string typed = g_hIntervalEdit->GetText(kIntervalFieldMaxCount);
  g_settings.intervalMinutes = UsableInterval(ParseIntervalText(typed));
  Exclusions exclusions;
  std::string why;
  if (!LoadSettingsExclusions(ExclusionsPathBeside(app.settingsPath), &exclusions, &why))
    return LogEntry(app.Seams(), why + " Automatic backup was not started.");
  app.autoBackup->Start(
      BackupRequest(g_settings.sourceDir, g_settings.targetDir, g_settings.timeVersioning)
          .Excluding(std::move(exclusions))
          .MeasuringSizes(true)
          .Build(),
      app.ForScheduler());
}

}  // namespace

void SetAutoBackup(AppContext& app, bool enable) {
  if (!enable) {
    app.autoBackup->Stop(app.ForScheduler());
  } else if (!app.autoBackup->Running()) {
    StartWithExclusions(app);
  }
  app.status.RefreshStatus();
}

}  // namespace qs
