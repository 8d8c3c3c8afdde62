// The label is written under the line's lock, so that the clock thread and the runs' threads
// never leave it showing an older text than the last one meant.
#include "app/last_backup_line.h"

#include "engine/paths.h"
#include "engine/record_store.h"
#include "log/run_progress.h"

namespace qs {

namespace {

constexpr int64_t kNanosPerSecond = 1000000000;
/// A person cannot read the line faster; the label costs the window a redraw each time.
constexpr int64_t kUpdateNanos = kNanosPerSecond / 4;

class RunWatch : public RunObserver {
 public:
  RunWatch(LastBackupLine& line, Clock& clock, Control* label)
      : line_(line), clock_(clock), label_(label) {}

  void OnRunEvent(const RunEvent& event) override {
    const int64_t now = clock_.MonotonicNanos();
    if (event.kind == RunEventKind::kStarted) {
      progress_ = RunProgress();
      going_ = true;
      shownAt_ = now;
      return line_.ShowStart(label_, BackingUpText(progress_.Figures(now), false));
    }
    if (!going_) return;
    progress_.Count(event, now);
    if (event.kind == RunEventKind::kEnded) {
      going_ = false;
      if (event.summary != nullptr) line_.ShowEnd(label_, *event.summary);
    } else if (now - shownAt_ >= kUpdateNanos) {
      shownAt_ = now;
      line_.ShowProgress(label_, BackingUpText(progress_.Figures(now), progress_.Counting()));
    }
  }

 private:
  LastBackupLine& line_;
  Clock& clock_;
  Control* label_;
  RunProgress progress_;
  int64_t shownAt_ = 0;
  bool going_ = false;
};

}  // namespace

LastBackup LastRecordedBackup(FileSystem& fs, const std::string& target_root) {
  if (target_root.empty()) return {};
  const RecordStore store = RecordStore::Open(fs, WithTrailingSeparator(target_root));
  if (store.found() != RecordStore::Found::kWhole && store.found() != RecordStore::Found::kTornEnd)
    return {};
  const std::vector<RunFact>& runs = store.history().runs();
  if (runs.empty()) return {};
  const RunFact& run = runs.back();
  return {true, run.endTicks, run.exitStatus != 0, run.failed};
}

void LastBackupLine::Check(const std::string& target, Control* label) {
  uint64_t runs_ended = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (read_ && target == readFor_) return;
    runs_ended = runsEnded_;
  }
  // Read without the lock: the runs' threads must not wait for a whole journal.
  const LastBackup last = LastRecordedBackup(fs_, target);
  std::lock_guard<std::mutex> lock(mutex_);
  if (runs_ended != runsEnded_) return;  // read again at the next check
  read_ = true;
  readFor_ = target;
  last_ = last;
  ShowLast(label);
}

std::unique_ptr<RunObserver> LastBackupLine::WatchRuns(Control* label) {
  return std::make_unique<RunWatch>(*this, clock_, label);
}

void LastBackupLine::ShowStart(Control* label, const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++running_;
  Show(label, text, false);
}

void LastBackupLine::ShowProgress(Control* label, const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  Show(label, text, false);
}

void LastBackupLine::ShowEnd(Control* label, const RunSummary& summary) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++runsEnded_;
  if (running_ > 0) --running_;
  // A dry run is no backup: the line goes back to the last real one.
  if (read_ && !summary.dryRun && summary.targetRoot == WithTrailingSeparator(readFor_)) {
    const BackupResults& results = summary.results;
    last_ = {true, clock_.WallTicks(), results.AnyFailed(), results.counters.failed};
  }
  ShowLast(label);
}

void LastBackupLine::ShowLast(Control* label) {
  if (running_ == 0 && read_) Show(label, LastBackupText(last_), last_.known && last_.failed);
}

void LastBackupLine::Show(Control* label, const std::string& text, bool alert) {
  if (label == nullptr) return;
  if (text != shown_) label->SetText(text);
  if (alert != alertShown_) label->SetAlert(alert);
  shown_ = text;
  alertShown_ = alert;
}

}  // namespace qs
