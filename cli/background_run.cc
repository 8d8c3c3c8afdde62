// The priority is the process's: the runner does nothing else, and on every system the
// threads it starts afterwards share it.
#include "cli/background_run.h"

#include "os/background_priority.h"
#include "settings/preferences_file.h"

namespace qs {

BackgroundRun::BackgroundRun(const RunnerContext& context, std::vector<RunObserver*>* observers)
    : notifier_(MakeDesktopNotifier()) {
  std::string why;
  if (!EnterBackgroundProcess(&why)) context.Log("Background priority not set: " + why);
  notification_ = std::make_unique<RunNotification>(*notifier_, LoadPreferences().notifyOnSuccess);
  observers->push_back(notification_.get());
}

void BackgroundRun::AfterRun(const BackupLogObserver& log) {
  if (const std::string line = notification_->Deliver(); !line.empty()) log.Write(line);
}

void NotifyRunNotStarted(const RunnerContext& context, const std::string& why) {
  const std::unique_ptr<Notifier> notifier = MakeDesktopNotifier();
  const Notification notification{"Backup failed: its settings cannot be read", why,
                                  Notification::Urgency::kCritical};
  std::string not_shown;
  if (notifier->Notify(notification, &not_shown) != NotifyResult::kShown)
    context.Log("Notification not shown: " + not_shown);
}

}  // namespace qs
