// Each scheduler thread has its own stop signal, so a thread left running by a stop whose
// wait ran out ends after its run even when a newer thread has raised the shared running flag.
#include "schedule/auto_backup.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "log/backup_log.h"
#include "log/file_log.h"

namespace qs {

std::atomic<bool> g_autoBackupRunning{false};
std::shared_ptr<SchedulerThread> g_schedulerThread;
std::atomic<int64_t> g_nextBackupTime{0};

namespace {

constexpr int64_t kNanosPerSecond = 1000000000;
constexpr int64_t kNanosPerMinute = 60 * kNanosPerSecond;
constexpr int kSliceMillis = 1000;
// A slice is slept in parts so that a stop is seen within a tenth of a second.
constexpr int kSlicePartMillis = 100;

}  // namespace

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

namespace {

Clock& ClockOf(const SchedulerSeams& seams) { return *seams.run.services.log.clock; }

void Refresh(const SchedulerSeams& seams) {
  if (seams.refreshStatus) seams.refreshStatus();
}

// Sleeps one countdown slice; false as soon as a stop has been asked for.
bool SleepSlice(const SchedulerThread& self, Clock& clock) {
  for (int slept = 0; slept < kSliceMillis; slept += kSlicePartMillis) {
    clock.SleepMillis(kSlicePartMillis);
    if (self.StopRequested()) return false;
  }
  return true;
}

// Counts down to `due`; false when a stop ended the countdown.
bool CountDown(const SchedulerThread& self, const SchedulerSeams& seams, int64_t due) {
  if (self.StopRequested()) return false;
  for (;;) {
    const int64_t now = ClockOf(seams).MonotonicNanos();
    Refresh(seams);
    if ((due - now) / kNanosPerSecond <= 0) return true;
    if (!SleepSlice(self, ClockOf(seams))) return false;
  }
}

// One interval and one run; false when a stop came before the run.
bool RunCycle(const SchedulerThread& self, const SchedulerSeams& seams, BackupJob& job,
              const SeamsNotification& notification) {
  // The start limits the interval; the clamp only guards the sum against a value stored by
  // the window in the moment before a stop.
  const int32_t minutes =
      std::clamp(seams.intervalMinutes->load(), -kMaxIntervalMinutes, kMaxIntervalMinutes);
  const int64_t due = ClockOf(seams).MonotonicNanos() + minutes * kNanosPerMinute;
  g_nextBackupTime = due;
  job.LogMessage("=== Next backup in " + std::to_string(minutes) + " minutes ===");
  if (!CountDown(self, seams, due) || self.StopRequested()) return false;
  TrimBackupLog(seams.run.backupLog);
  TrimFileLog(seams.run.fileLog);
  job.LogMessage("=== Scheduled backup started ===");
  job.RunBackup();
  job.LogMessage("=== Scheduled backup completed ===");
  notification.Deliver();
  return true;
}

// Scheduled runs give way to what the person is doing: this thread and each file thread of
// its runs work at background priority.
void EnterBackground(SchedulerSeams& seams) {
  if (!seams.enterBackground) return;
  std::string why;
  if (!seams.enterBackground(&why)) LogEntry(seams.run, "Background priority not set: " + why);
  seams.run.services.onFileThreadStart = [enter = seams.enterBackground] {
    std::string ignored;  // the scheduler's thread has said why already
    enter(&ignored);
  };
}

void SchedulerThreadProc(std::shared_ptr<SchedulerThread> self, BackupOptions request,
                         SchedulerSeams seams) {
  self->WaitForGo();
  EnterBackground(seams);
  {
    const SeamsNotification notification(seams.run);
    // The logs of this thread's runs alone: a manual run may overlap one of them.
    BackupLogObserver backup_log(seams.run.backupLog, notification.services().log,
                                 request.sourceRoot);
    FileLogObserver file_log(seams.run.fileLog, request.sourceRoot);
    BackupJob job(request, JobLogs{&backup_log, &file_log}, notification.services());
    while (!self->StopRequested() && RunCycle(*self, seams, job, notification)) {
    }
  }
  self->SignalEnded();
}

}  // namespace

int32_t UsableInterval(int32_t minutes) {
  if (minutes <= 0) return kDefaultIntervalMinutes;
  return std::min(minutes, kMaxIntervalMinutes);
}

void StartScheduler(const BackupOptions& request, const SchedulerSeams& seams) {
  if (g_autoBackupRunning) return;
  auto thread = std::make_shared<SchedulerThread>();
  // Raised before the thread exists, so that a stop right after this start finds it.
  g_autoBackupRunning = true;
  try {
    std::thread(SchedulerThreadProc, thread, request, seams).detach();
  } catch (const std::system_error&) {
    g_autoBackupRunning = false;
    return;
  }
  g_schedulerThread = thread;
  LogEntry(seams.run, "=== Auto backup started ===");
  thread->Go();
}

void StopScheduler(const SchedulerSeams& seams) {
  if (!g_autoBackupRunning) return;
  const std::shared_ptr<SchedulerThread> thread = std::move(g_schedulerThread);
  g_schedulerThread = nullptr;
  if (thread) thread->RequestStop();
  g_autoBackupRunning = false;
  if (!thread) return;
  // The thread may itself be waiting for this (window) thread; the bound ends that standoff.
  thread->WaitForEnd(seams.stopWait);
  LogEntry(seams.run, "=== Auto backup stopped ===");
}

}  // namespace qs
