// One interval scheduler thread as the window thread sees it: its own stop signal, the go it
// waits for, and the end the stop waits for.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

#include "engine/backup_results.h"
#include "schedule/backup_trigger.h"
#include "schedule/interval_trigger.h"

namespace qs {

/// What one scheduler thread shares with the window thread.
class SchedulerThread {
 public:
  /// `state` receives the due time of each cycle; it must outlive the thread.
  explicit SchedulerThread(IntervalState* state) : state_(state) {}
  void PublishDue(int64_t due) {
    state_->nextDue = due;
    state_->nextDueKnown = true;
  }
  void RequestStop() { stop_requested_ = true; }
  bool StopRequested() const { return stop_requested_; }

  /// The thread holds back until the window thread has logged the start.
  void Go() { Signal(go_); }
  void WaitForGo() { Wait(go_, std::chrono::milliseconds::max()); }
  void SignalEnded() { Signal(ended_); }
  void WaitForEnd(std::chrono::milliseconds bound) { Wait(ended_, bound); }

 private:
  void Signal(bool& flag) {
    std::lock_guard<std::mutex> lock(mutex_);
    flag = true;
    changed_.notify_all();
  }
  void Wait(bool& flag, std::chrono::milliseconds bound) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (bound == std::chrono::milliseconds::max())
      changed_.wait(lock, [&] { return flag; });
    else
      changed_.wait_for(lock, bound, [&] { return flag; });
  }

  IntervalState* const state_;
  std::atomic<bool> stop_requested_{false};
  std::mutex mutex_;
  std::condition_variable changed_;
  bool go_ = false;
  bool ended_ = false;
};

/// Starts the thread of `self`: after its go it counts down one interval, runs a backup of
/// `request` and starts over until its stop. False when no thread could be made.
bool LaunchSchedulerThread(std::shared_ptr<SchedulerThread> self, const BackupOptions& request,
                           const SchedulerSeams& seams);

}  // namespace qs
