// Each scheduler thread has its own stop signal, so a thread left running by a stop whose
// wait ran out ends after its run even when a newer thread has raised the shared running flag.
#include "schedule/auto_backup.h"

#include <algorithm>
#include <functional>
#include <string>
#include <system_error>
#include <thread>

#include "log/backup_log.h"
#include "log/file_log.h"
#include "schedule/operation_worker.h"
#include "schedule/scheduler_thread.h"
#include "schedule/trigger_events.h"

namespace qs {

namespace {

// Constant-initialised, so the names below refer to it before any code runs.
constinit IntervalTrigger program_trigger;

}  // namespace

constinit std::atomic<bool>& g_autoBackupRunning = program_trigger.state().running;
constinit std::shared_ptr<SchedulerThread>& g_schedulerThread = program_trigger.state().thread;
constinit std::atomic<int64_t>& g_nextBackupTime = program_trigger.state().nextDue;

IntervalTrigger& ProgramIntervalTrigger() { return program_trigger; }

void StartScheduler(const BackupOptions& request, const SchedulerSeams& seams) {
  program_trigger.Start(request, seams);
}

void StopScheduler(const SchedulerSeams& seams) { program_trigger.Stop(seams); }

namespace {

constexpr int64_t kNanosPerSecond = 1000000000;
constexpr int64_t kNanosPerMinute = 60 * kNanosPerSecond;
constexpr int kSliceMillis = 1000;
// A slice is slept in parts so that a stop is seen within a tenth of a second.
constexpr int kSlicePartMillis = 100;

Clock& ClockOf(const SchedulerSeams& seams) { return *seams.run.services.log.clock; }

void Refresh(const SchedulerSeams& seams) {
  if (seams.refreshStatus) seams.refreshStatus();
}

void Report(const SchedulerSeams& seams, RunEventKind kind) {
  ReportTriggerEvent(seams.run, {.kind = kind});
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
bool RunCycle(SchedulerThread& self, const SchedulerSeams& seams,
              const std::function<void()>& run_backup, const SeamsNotification& notification,
              const std::string& target) {
  // The start limits the interval; the clamp only guards the sum against a value stored by
  // the window in the moment before a stop.
  const int32_t minutes =
      std::clamp(seams.intervalMinutes->load(), -kMaxIntervalMinutes, kMaxIntervalMinutes);
  const int64_t due = ClockOf(seams).MonotonicNanos() + minutes * kNanosPerMinute;
  self.PublishDue(due);
  ReportTriggerEvent(seams.run, {.kind = RunEventKind::kNextBackupIn, .minutes = minutes});
  if (!CountDown(self, seams, due) || self.StopRequested()) return false;
  // A target another operation holds waits for the next interval: nothing here waits for it.
  const std::shared_ptr<const void> claim = ClaimOrSay(seams.run, target, kBackupClaim);
  if (!claim) return true;
  TrimBackupLog(seams.run.backupLog);
  TrimFileLog(seams.run.fileLog);
  Report(seams, RunEventKind::kScheduledBackupStarted);
  run_backup();
  Report(seams, RunEventKind::kScheduledBackupCompleted);
  notification.Deliver();
  return true;
}

// Scheduled runs give way to what the person is doing: this thread and each file thread of
// its runs work at background priority.
void EnterBackground(SchedulerSeams& seams) {
  if (!seams.enterBackground) return;
  std::string why;
  if (!seams.enterBackground(&why))
    ReportTriggerEvent(seams.run, {.kind = RunEventKind::kBackgroundPriorityNotSet, .other = why});
  seams.run.services.tuning.onFileThreadStart = [enter = seams.enterBackground] {
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
    const WatchedServices watched(seams.run, notification.services());
    // The logs of this thread's runs alone: a manual run may overlap one of them.
    BackupLogObserver backup_log(seams.run.backupLog, watched.services().log, request.sourceRoot);
    FileLogObserver file_log(seams.run.fileLog, request.sourceRoot);
    const auto run_backup = [&] {
      RunLoggedBackup(watched.services(), request, file_log, backup_log);
    };
    while (!self->StopRequested() &&
           RunCycle(*self, seams, run_backup, notification, request.targetRoot)) {
    }
  }
  self->SignalEnded();
}

}  // namespace

int32_t UsableInterval(int32_t minutes) {
  if (minutes <= 0) return kDefaultIntervalMinutes;
  return std::min(minutes, kMaxIntervalMinutes);
}

bool LaunchSchedulerThread(std::shared_ptr<SchedulerThread> self, const BackupOptions& request,
                           const SchedulerSeams& seams) {
  try {
    std::thread(SchedulerThreadProc, std::move(self), request, seams).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

}  // namespace qs
