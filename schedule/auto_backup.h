// The automatic backup: a thread that counts down one interval, runs a backup, and starts
// over, until it is stopped.
#pragma once

#include <chrono>
#include <cstdint>

namespace qs {

constexpr int32_t kDefaultIntervalMinutes = 60;
/// The longest interval: its due time fits signed 64-bit nanoseconds and its countdown a
/// signed 32-bit count of seconds (35,791,394 x 60 s < 2^31 s).
constexpr int32_t kMaxIntervalMinutes = 35791394;

/// The interval a starting scheduler uses for the one typed: 60 for 0 or less, and at most
/// kMaxIntervalMinutes.
int32_t UsableInterval(int32_t minutes);

/// Starts (true) or stops (false) the scheduler; starting a running one or stopping a stopped
/// one only refreshes the status. Window thread only.
void SetAutoBackup(bool enable);

/// How long a stop waits for the scheduler thread before leaving it to end by itself after its
/// current run: 5000 ms. Tests shorten it.
void SetSchedulerStopWait(std::chrono::milliseconds bound);

/// Tests: returns once every scheduler thread started so far has ended.
void WaitForSchedulerThreadsToEnd();
/// Tests: how many scheduler threads have not ended yet.
int SchedulerThreadsAlive();

}  // namespace qs
