// Each scheduler thread has its own stop signal, so a thread left running by a stop whose
// wait ran out ends after its run even when a newer thread has raised the shared running flag.
#include "schedule/auto_backup.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "app/app_state.h"
#include "app/control_table.h"
#include "app/status_display.h"
#include "engine/backup_job.h"
#include "log/backup_log.h"
#include "log/file_log.h"
#include "schedule/live_threads.h"
#include "settings/settings.h"

namespace qs {

namespace {

constexpr int64_t kNanosPerSecond = 1000000000;
constexpr int64_t kNanosPerMinute = 60 * kNanosPerSecond;
constexpr int kSliceMillis = 1000;
// A slice is slept in parts so that a stop is seen within a tenth of a second.
constexpr int kSlicePartMillis = 100;

/// What one scheduler thread shares with the window thread.
class SchedulerThread {
 public:
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

  std::atomic<bool> stop_requested_{false};
  std::mutex mutex_;
  std::condition_variable changed_;
  bool go_ = false;
  bool ended_ = false;
};

/// The settings a scheduler thread runs with, copied on the window thread before it starts.
struct SchedulerSettings {
  std::string source;
  std::string target;
  bool timeVersioning = false;
};

// Window thread only.
std::shared_ptr<SchedulerThread> g_schedulerThread;
std::atomic<int64_t> g_stopWaitMillis{5000};
LiveThreads g_liveSchedulers;

void LogLine(const std::string& message) {
  BackupJob job("", "", g_hBackupLog, g_hFileLog, g_settings.timeVersioning, AppJobServices());
  job.LogMessage(message);
}

// Sleeps one countdown slice; false as soon as a stop has been asked for.
bool SleepSlice(const SchedulerThread& self) {
  for (int slept = 0; slept < kSliceMillis; slept += kSlicePartMillis) {
    g_clock.load()->SleepMillis(kSlicePartMillis);
    if (self.StopRequested()) return false;
  }
  return true;
}

// Counts down to `due`; false when a stop ended the countdown.
bool CountDown(const SchedulerThread& self, int64_t due) {
  if (self.StopRequested()) return false;
  for (;;) {
    const int64_t now = g_clock.load()->MonotonicNanos();
    RefreshStatus();
    if ((due - now) / kNanosPerSecond <= 0) return true;
    if (!SleepSlice(self)) return false;
  }
}

// One interval and one run; false when a stop came before the run.
bool RunCycle(const SchedulerThread& self, BackupJob& job) {
  // The start limits the interval; the clamp only guards the sum against a value stored by
  // the window in the moment before a stop.
  const int32_t minutes =
      std::clamp(g_intervalMinutes.load(), -kMaxIntervalMinutes, kMaxIntervalMinutes);
  const int64_t due = g_clock.load()->MonotonicNanos() + minutes * kNanosPerMinute;
  g_nextBackupTime = due;
  job.LogMessage("=== Next backup in " + std::to_string(minutes) + " minutes ===");
  if (!CountDown(self, due) || self.StopRequested()) return false;
  TrimBackupLog(g_hBackupLog);
  TrimFileLog(g_hFileLog);
  job.LogMessage("=== Scheduled backup started ===");
  job.RunBackup();
  job.LogMessage("=== Scheduled backup completed ===");
  return true;
}

void SchedulerThreadProc(std::shared_ptr<SchedulerThread> self, SchedulerSettings settings) {
  self->WaitForGo();
  {
    BackupJob job(settings.source, settings.target, g_hBackupLog, g_hFileLog,
                  settings.timeVersioning, AppJobServices());
    while (!self->StopRequested() && RunCycle(*self, job)) {
    }
  }
  self->SignalEnded();
  g_liveSchedulers.Ended();
}

bool LaunchSchedulerThread(const std::shared_ptr<SchedulerThread>& thread) {
  const SchedulerSettings settings{g_settings.sourceDir, g_settings.targetDir,
                                   g_settings.timeVersioning};
  g_liveSchedulers.Started();
  try {
    std::thread(SchedulerThreadProc, thread, settings).detach();
    return true;
  } catch (const std::system_error&) {
    g_liveSchedulers.Ended();
    return false;
  }
}

void StartScheduler() {
  if (g_autoBackupRunning) return;
  StoreIntervalMinutes(
      UsableInterval(ParseIntervalText(g_hIntervalEdit->GetText(kIntervalFieldMaxCount))));
  auto thread = std::make_shared<SchedulerThread>();
  // Raised before the thread exists, so that a stop right after this start finds it.
  g_autoBackupRunning = true;
  if (!LaunchSchedulerThread(thread)) {
    g_autoBackupRunning = false;
    return;
  }
  g_schedulerThread = thread;
  LogLine("=== Auto backup started ===");
  thread->Go();
}

void StopScheduler() {
  if (!g_autoBackupRunning) return;
  const std::shared_ptr<SchedulerThread> thread = std::move(g_schedulerThread);
  g_schedulerThread = nullptr;
  if (thread) thread->RequestStop();
  g_autoBackupRunning = false;
  if (!thread) return;
  // The thread may itself be waiting for this (window) thread; the bound ends that standoff.
  thread->WaitForEnd(std::chrono::milliseconds(g_stopWaitMillis.load()));
  LogLine("=== Auto backup stopped ===");
}

}  // namespace

int32_t UsableInterval(int32_t minutes) {
  if (minutes <= 0) return kDefaultIntervalMinutes;
  return std::min(minutes, kMaxIntervalMinutes);
}

void SetAutoBackup(bool enable) {
  if (enable)
    StartScheduler();
  else
    StopScheduler();
  RefreshStatus();
}

void SetSchedulerStopWait(std::chrono::milliseconds bound) { g_stopWaitMillis = bound.count(); }

void WaitForSchedulerThreadsToEnd() { g_liveSchedulers.WaitUntilNone(); }

int SchedulerThreadsAlive() { return g_liveSchedulers.Count(); }

}  // namespace qs
