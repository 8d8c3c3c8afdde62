// The notification of a run: one for a run that did not back everything up, naming what
// failed and how many; none for a run that did, unless the person asked for it.
#pragma once

#include <string>

#include "engine/backup_results.h"
#include "log/run_events.h"
#include "os/notifier.h"

namespace qs {

/// Watches a run's events; once the run has ended, Deliver raises its notification. The
/// notification waits for Deliver so that it never holds up the run while files are copied
/// and comes after the run's last line.
class RunNotification : public RunObserver {
 public:
  RunNotification(Notifier& notifier, bool notify_success)
      : notifier_(notifier), notify_success_(notify_success) {}

  void OnRunEvent(const RunEvent& event) override;

  /// Raises the notification of the run that ended last, once. Returns the backup log's line
  /// when it could not be shown ("Notification not shown: ..."), else "".
  std::string Deliver();
  /// Whether a success is told from the next Deliver on; call it on the run's thread.
  void NotifySuccess(bool on) { notify_success_ = on; }

 private:
  void NoteFailure(const RunEvent& event);

  Notifier& notifier_;
  bool notify_success_;
  bool ended_ = false;
  std::string source_;
  std::string target_;
  std::string first_failure_;
  BackupResults results_;
};

/// What the notification of a run with `results` says; false when a run like that is quiet.
bool RunOutcomeNotification(const BackupResults& results, const std::string& source,
                            const std::string& target, const std::string& first_failure,
                            bool notify_success, Notification* notification);

}  // namespace qs
