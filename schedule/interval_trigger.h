// The automatic backup at a fixed interval: a thread that counts down one interval, runs a
// backup, and starts over, until it is stopped.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

#include "schedule/backup_trigger.h"

namespace qs {

class SchedulerThread;

/// What an interval trigger keeps between its start and its stop.
struct IntervalState {
  /// The trigger is meant to run: raised at the start, lowered only by the stop.
  std::atomic<bool> running{false};
  /// The thread last started; null after a stop. Window thread only.
  std::shared_ptr<SchedulerThread> thread;
  /// When the cycle under way is due, in nanoseconds on the monotonic clock; written by the
  /// thread at the start of each cycle and kept after a stop.
  std::atomic<int64_t> nextDue{0};
  /// nextDue is that of the thread last started: lowered at a start, raised after its write.
  std::atomic<bool> nextDueKnown{false};
};

/// Must outlive the threads it starts: a stop whose wait runs out leaves one to end by itself.
class IntervalTrigger final : public BackupTrigger {
 public:
  constexpr IntervalTrigger() = default;
  IntervalTrigger(const IntervalTrigger&) = delete;
  IntervalTrigger& operator=(const IntervalTrigger&) = delete;

  void Start(const BackupOptions& request, const SchedulerSeams& seams) override;
  void Stop(const SchedulerSeams& seams) override;
  bool Running() const override { return state_.running; }
  /// While it runs, once its thread has begun its first cycle: that cycle's due time.
  std::optional<int64_t> NextDue() const override;

  /// The state itself, for the program to publish under its own names.
  constexpr IntervalState& state() { return state_; }

 private:
  IntervalState state_;
};

}  // namespace qs
