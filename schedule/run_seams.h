// What a backup started by the scheduler or by "Start Backup Now" works through: the two
// panes and the runs' services (file system, clock, observers, the pass's tuning). Passed in
// by the program; nothing here reaches for a global.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/backup_results.h"
#include "engine/run_notification.h"
#include "log/backup_log.h"
#include "log/file_log.h"
#include "log/log_pane.h"
#include "log/log_services.h"
#include "log/run_events.h"
#include "os/file_system.h"
#include "schedule/target_claims.h"

namespace qs {

/// The seams the operations started with some RunSeams work through. Nothing is taken from
/// elsewhere: an operation without a file system or a clock cannot run.
struct JobServices {
  FileSystem* fs = nullptr;
  /// The clock, and the console for a backup log without a pane.
  LogServices log;
  /// Told of every event of every run, before the run's own two logs.
  std::vector<RunObserver*> observers;
  /// How every backup run with these services goes about its pass; it replaces the tuning
  /// of the request.
  BackupTuning tuning;
};

struct RunSeams {
  LogPane* backupLog = nullptr;  ///< null: entries go to the console of services.log
  LogPane* fileLog = nullptr;
  JobServices services;
  /// Held by the thread that runs with these seams until it has ended (see ThreadCount).
  std::shared_ptr<const void> presence;
  /// Told of every run's outcome after its last line; null: no notifications.
  Notifier* notifier = nullptr;
  /// Whether a success is told too, read as each run's notification is raised; null: never.
  const std::atomic<bool>* notifyOnSuccess = nullptr;
  /// The targets held by the operations under way; null: nothing is claimed.
  TargetClaims* claims = nullptr;
  /// Makes the observer of one thread's backups (the window's line of how they go), which
  /// keeps what it counts of a run from the run's start to its end; null: none.
  std::function<std::unique_ptr<RunObserver>()> watchRuns;
};

/// Services with the observer the seams' watchRuns makes for this thread's runs among theirs.
class WatchedServices {
 public:
  WatchedServices(const RunSeams& seams, const JobServices& services);
  const JobServices& services() const { return services_; }

 private:
  std::unique_ptr<RunObserver> watch_;
  JobServices services_;
};

/// The notification of the runs made with some seams: nothing when they have no notifier.
class SeamsNotification {
 public:
  explicit SeamsNotification(const RunSeams& seams);
  /// The seams' services, with the notification among their observers.
  const JobServices& services() const { return services_; }
  /// Raises the last run's notification; when it cannot be shown, says so in the backup log.
  void Deliver() const;

 private:
  const RunSeams& seams_;
  std::unique_ptr<RunNotification> notification_;
  JobServices services_;
};

/// Counts the threads at work with seams that hold one of its tickets.
class ThreadCount {
 public:
  /// The count is one higher until the last copy of the ticket is gone.
  std::shared_ptr<const void> Ticket() const;
  /// How many tickets are out. Whatever a thread did before it let go of its ticket is seen
  /// by the caller once the count no longer includes it.
  int Running() const;

 private:
  std::shared_ptr<std::atomic<int>> count_ = std::make_shared<std::atomic<int>>(0);
};

/// Writes one entry to the backup log of `seams`, as a run's own entries are written.
void LogEntry(const RunSeams& seams, const std::string& message);

/// One backup of `request` with the tuning of `services`, telling the services' observers,
/// then `file_log`, then `backup_log` of each event. Returns what the run found.
BackupResults RunLoggedBackup(const JobServices& services, const BackupOptions& request,
                              FileLogObserver& file_log, BackupLogObserver& backup_log);

}  // namespace qs
