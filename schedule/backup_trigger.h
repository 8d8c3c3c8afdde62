// What the window asks of anything that starts backups by itself: the interval scheduler
// today, others (a watch of the source folder) later.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "engine/backup_results.h"
#include "os/background_priority.h"
#include "schedule/run_seams.h"

namespace qs {

/// What a trigger's runs and its own lines work through.
struct SchedulerSeams {
  RunSeams run;
  /// The interval in minutes, read afresh at the start of every cycle of an interval trigger.
  const std::atomic<int32_t>* intervalMinutes = nullptr;
  /// Brings the status area up to date, once every countdown slice.
  std::function<void()> refreshStatus;
  /// How long a stop waits for the thread before leaving it to end after its current run.
  std::chrono::milliseconds stopWait{5000};
  /// Lowers the calling thread to background priority: the trigger's thread, and each file
  /// thread of its runs. False with the reason when the system refused.
  std::function<bool(std::string* why)> enterBackground = EnterBackgroundThread;
};

/// Starts backups of one request by itself until it is stopped. Window thread only, except
/// Running and NextDue, which any thread may ask.
class BackupTrigger {
 public:
  virtual ~BackupTrigger() = default;
  /// Starts for `request` unless it runs already, and logs that it started.
  virtual void Start(const BackupOptions& request, const SchedulerSeams& seams) = 0;
  /// Stops, waiting at most seams.stopWait for its thread, and logs that it stopped. Does
  /// nothing when it is not running.
  virtual void Stop(const SchedulerSeams& seams) = 0;
  /// Between a start and the next stop.
  virtual bool Running() const = 0;
  /// When its next backup is due, in nanoseconds on the monotonic clock; none when it is not
  /// running or cannot know.
  virtual std::optional<int64_t> NextDue() const = 0;
};

}  // namespace qs
