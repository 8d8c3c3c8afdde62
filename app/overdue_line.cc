// The label is written only when its text changes: the check runs every second.
#include "app/overdue_line.h"

#include "app/app_state.h"

namespace qs {

void ShowOverdue(AppContext& app) {
  OverdueInputs inputs;
  inputs.intervalMinutes = g_settings.intervalMinutes;
  inputs.autoBackupOn = g_autoBackupRunning;
  inputs.backgroundScheduleOn = app.backupWhenClosed;
  bool notify = false;
  const OverdueVerdict verdict = app.overdue.Check(inputs, &notify);
  if (app.added.overdueLabel != nullptr && verdict.line != app.overdueShown) {
    app.added.overdueLabel->SetText(verdict.line);
    app.overdueShown = verdict.line;
  }
  if (!notify || app.notifier == nullptr) return;
  std::string why;
  if (app.notifier->Notify(OverdueNotification(verdict, app.overdue.Target()), &why) !=
      NotifyResult::kShown)
    LogEntry(app.Seams(), "Notification not shown: " + why);
}

}  // namespace qs
