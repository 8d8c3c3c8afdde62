// The start logs its line before the new thread's first, and the stop logs its own after the
// thread has ended or the wait for it has run out.
#include "schedule/interval_trigger.h"

#include "schedule/scheduler_thread.h"
#include "schedule/trigger_events.h"

namespace qs {

void IntervalTrigger::Start(const BackupOptions& request, const SchedulerSeams& seams) {
  if (state_.running) return;
  auto thread = std::make_shared<SchedulerThread>(&state_);
  // Raised before the thread exists, so that a stop right after this start finds it.
  state_.running = true;
  state_.nextDueKnown = false;
  if (!LaunchSchedulerThread(thread, request, seams)) {
    state_.running = false;
    return;
  }
  state_.thread = thread;
  ReportTriggerEvent(seams.run, {.kind = RunEventKind::kAutoBackupStarted});
  thread->Go();
}

void IntervalTrigger::Stop(const SchedulerSeams& seams) {
  if (!state_.running) return;
  const std::shared_ptr<SchedulerThread> thread = std::move(state_.thread);
  state_.thread = nullptr;
  if (thread) thread->RequestStop();
  state_.running = false;
  if (!thread) return;
  // The thread may itself be waiting for this (window) thread; the bound ends that standoff.
  thread->WaitForEnd(seams.stopWait);
  ReportTriggerEvent(seams.run, {.kind = RunEventKind::kAutoBackupStopped});
}

std::optional<int64_t> IntervalTrigger::NextDue() const {
  if (!state_.running || !state_.nextDueKnown) return std::nullopt;
  return state_.nextDue.load();
}

}  // namespace qs
