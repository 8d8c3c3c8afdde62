// Reading the record costs a read of the whole journal: it is done only when it may have
// changed.
#include "app/overdue_watch.h"

#include "engine/paths.h"
#include "engine/record_store.h"

namespace qs {

int64_t LastSuccessfulBackup(FileSystem& fs, const std::string& target_root) {
  if (target_root.empty()) return 0;
  const RecordStore store = RecordStore::Open(fs, WithTrailingSeparator(target_root));
  if (store.found() != RecordStore::Found::kWhole && store.found() != RecordStore::Found::kTornEnd)
    return 0;
  const std::vector<RunFact>& runs = store.history().runs();
  for (auto run = runs.rbegin(); run != runs.rend(); ++run)
    if (run->exitStatus == 0) return run->endTicks;
  return 0;
}

void OverdueWatch::WatchTarget(const std::string& target) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (target == target_) return;
  target_ = target;
  stale_ = true;
}

std::string OverdueWatch::Target() {
  std::lock_guard<std::mutex> lock(mutex_);
  return target_;
}

void OverdueWatch::OnRunEvent(const RunEvent& event) {
  if (event.kind == RunEventKind::kEnded) stale_ = true;
}

OverdueVerdict OverdueWatch::Check(OverdueInputs inputs, bool* notify) {
  if (stale_.exchange(false)) last_success_ = LastSuccessfulBackup(fs_, Target());
  inputs.lastSuccessTicks = last_success_;
  const OverdueVerdict verdict = CheckOverdue(clock_, inputs);
  *notify = alarm_.ShouldNotify(verdict);
  return verdict;
}

}  // namespace qs
