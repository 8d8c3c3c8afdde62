// The automatic backup: a thread that counts down one interval, runs a backup, and starts
// over, until it is stopped.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/backup_results.h"
#include "os/background_priority.h"
#include "schedule/run_seams.h"

namespace qs {

constexpr int32_t kDefaultIntervalMinutes = 60;
/// The longest interval: its due time fits signed 64-bit nanoseconds and its countdown a
/// signed 32-bit count of seconds (35,791,394 x 60 s < 2^31 s).
constexpr int32_t kMaxIntervalMinutes = 35791394;

/// The interval a starting scheduler uses for the one typed: 60 for 0 or less, and at most
/// kMaxIntervalMinutes.
int32_t UsableInterval(int32_t minutes);

class SchedulerThread;

/// The scheduler is meant to run: raised at the start, lowered only by the stop.
extern std::atomic<bool> g_autoBackupRunning;
/// The scheduler thread last started; null after a stop. Window thread only.
extern std::shared_ptr<SchedulerThread> g_schedulerThread;
/// When the next scheduled run is due, in nanoseconds on the monotonic clock.
extern std::atomic<int64_t> g_nextBackupTime;

struct SchedulerSeams {
  RunSeams run;
  /// The interval in minutes, read afresh at the start of every cycle.
  const std::atomic<int32_t>* intervalMinutes = nullptr;
  /// Brings the status area up to date, once every countdown slice.
  std::function<void()> refreshStatus;
  /// How long a stop waits for the thread before leaving it to end after its current run.
  std::chrono::milliseconds stopWait{5000};
  /// Lowers the calling thread to background priority: the scheduler's thread, and each file
  /// thread of its runs. False with the reason when the system refused.
  std::function<bool(std::string* why)> enterBackground = EnterBackgroundThread;
};

/// Starts the scheduler thread for `request` unless it runs already, and logs that it
/// started. Window thread only.
void StartScheduler(const BackupOptions& request, const SchedulerSeams& seams);

/// Stops the scheduler: waits up to seams.stopWait for its thread, then logs that it stopped.
/// Does nothing when it is not running. Window thread only.
void StopScheduler(const SchedulerSeams& seams);

}  // namespace qs
