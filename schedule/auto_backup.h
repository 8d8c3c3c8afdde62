// The program's automatic backup: its one interval trigger, the names its state goes by, and
// the limits of its interval.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "schedule/backup_trigger.h"
#include "schedule/interval_trigger.h"

namespace qs {

constexpr int32_t kDefaultIntervalMinutes = 60;
/// The longest interval: its due time fits signed 64-bit nanoseconds and its countdown a
/// signed 32-bit count of seconds (35,791,394 x 60 s < 2^31 s).
constexpr int32_t kMaxIntervalMinutes = 35791394;

/// The interval a starting scheduler uses for the one typed: 60 for 0 or less, and at most
/// kMaxIntervalMinutes.
int32_t UsableInterval(int32_t minutes);

/// The interval trigger the program makes, whose state the names below are.
IntervalTrigger& ProgramIntervalTrigger();

/// The scheduler is meant to run: raised at the start, lowered only by the stop.
extern std::atomic<bool>& g_autoBackupRunning;
/// The scheduler thread last started; null after a stop. Window thread only.
extern std::shared_ptr<SchedulerThread>& g_schedulerThread;
/// When the next scheduled run is due, in nanoseconds on the monotonic clock.
extern std::atomic<int64_t>& g_nextBackupTime;

/// Start and Stop of the program's interval trigger. Window thread only.
void StartScheduler(const BackupOptions& request, const SchedulerSeams& seams);
void StopScheduler(const SchedulerSeams& seams);

}  // namespace qs
