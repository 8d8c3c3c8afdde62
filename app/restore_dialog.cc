// Reading a big target's record takes a while: the dialog shows at once with "Latest" only,
// and the workers fill in the moments and the tree when they have read them.
#include "app/restore_dialog.h"

#include "app/app_state.h"
#include "app/control_table.h"
#include "app/dialog_worker.h"
#include "app/kept_dialog.h"
#include "engine/restore_dest.h"
#include "engine/tree_restore.h"
#include "log/log_time.h"
#include "log/window_lines.h"

namespace qs {

namespace {

constexpr ControlClass kStatic = ControlClass::kStatic;
constexpr ControlClass kEdit = ControlClass::kEdit;
constexpr ControlClass kButton = ControlClass::kButton;
constexpr int kWidth = 520, kHeight = 470;
constexpr char kLatest[] = "Latest";

const ControlLayout kMomentsLabel{kStatic, "Restore as of:", kStyleNone, 10, 10, 240, 20, 0};
const ControlLayout kMomentsList{
    ControlClass::kList, "", kStyleBorder | kStyleVScroll, 10, 30, 240, 300, kRestoreMoments};
const ControlLayout kTreeLabel{
    kStatic, "What the backup held then (none ticked: all):", kStyleNone, 260, 10, 250, 20, 0};
const ControlLayout kTree{
    ControlClass::kTree, "", kStyleBorder | kStyleVScroll, 260, 30, 250, 300, 0};
const ControlLayout kDestLabel{
    kStatic, "Restore into (an empty or new folder):", kStyleNone, 10, 340, 300, 20, 0};
const ControlLayout kDestField{kEdit, "", kStyleBorder | kStyleAutoHScroll, 10, 362, 400, 25, 0};
const ControlLayout kChoose{kButton, "Choose...", kStyleNone, 420, 362, 90, 25, kRestoreChooseDest};
const ControlLayout kSayLabel{kStatic, "", kStyleNone, 10, 395, 500, 20, 0};
const ControlLayout kRestore{kButton, "Restore", kStyleDefault, 320, 430, 90, 28, kRestoreStart};
const ControlLayout kClose{kButton, "Close", kStyleNone, 420, 430, 90, 28, kRestoreClose};

class Unheard : public RunObserver {
 public:
  void OnRunEvent(const RunEvent&) override {}
};

}  // namespace

std::string MomentLine(const RestoreMoment& moment) {
  std::string outcome = "version folder " + moment.folder;
  if (moment.fromRun)
    outcome = moment.failed == 0 ? "no failures" : std::to_string(moment.failed) + " failed";
  return SecondsTimeText(moment.moment.seconds) + " \u2014 " + outcome;
}

bool RestoreDialog::Open() {
  if (!MadeOnce(app_, dialog_, "Restore Files", kWidth, kHeight, *this, [this] { MakeControls(); }))
    return false;
  if (dialog_->Shown()) {
    dialog_->Show();
    return true;
  }
  ReadMoments();
  dialog_->Show();
  return true;
}

void RestoreDialog::MakeControls() {
  dialog_->CreateControl(kMomentsLabel, kMomentsLabel.text);
  moments_ = dialog_->CreateControl(kMomentsList, "");
  dialog_->CreateControl(kTreeLabel, kTreeLabel.text);
  tree_ = dialog_->CreateControl(kTree, "");
  dialog_->CreateControl(kDestLabel, kDestLabel.text);
  dest_ = dialog_->CreateControl(kDestField, "");
  dialog_->CreateControl(kChoose, kChoose.text);
  label_ = dialog_->CreateControl(kSayLabel, "");
  restore_ = dialog_->CreateControl(kRestore, kRestore.text);
  dialog_->CreateControl(kClose, kClose.text);
}

void RestoreDialog::OnCommand(int id) {
  switch (id) {
    case kRestoreMoments:
      return ReadTree();
    case kRestoreChooseDest:
      return ChooseDest();
    case kRestoreStart:
      return StartRestore();
    case kRestoreClose:
      return OnClose();
    default:
      return;
  }
}

void RestoreDialog::OnClose() { dialog_->Hide(); }

void RestoreDialog::Say(const std::string& text, bool alert) {
  label_->SetText(InWindowWords(text));
  label_->SetAlert(alert);
}

void RestoreDialog::ReadMoments() {
  std::unique_lock<std::mutex> lock(mutex_);
  target_ = g_hTargetEdit->GetText(kPathFieldMaxCount);
  shown_.clear();
  moments_->SetItems({kLatest});
  moments_->SelectItem(0);
  tree_->SetTreePaths({}, kPathSeparator);
  Say("Reading the backup...", false);
  const uint64_t reading = ++reading_;
  const std::string target = target_;
  // Not held while the worker starts: its answer takes the lock.
  lock.unlock();
  StartDialogWorker(app_, [this, reading, target] {
    Unheard unheard;
    MomentsResults moments = ListRestoreMoments(app_.fs, app_.clock, {target}, unheard);
    const RestorePathsResults tree =
        ListRestorePaths(app_.fs, app_.clock, {target, "", {}, {}}, unheard);
    OnWindowThread(app_, [&] {
      std::lock_guard<std::mutex> lock(mutex_);
      if (reading != reading_) return;
      std::vector<std::string> lines = {kLatest};
      for (const RestoreMoment& moment : moments.moments) lines.push_back(MomentLine(moment));
      shown_ = std::move(moments.moments);
      moments_->SetItems(lines);
      moments_->SelectItem(0);
      tree_->SetTreePaths(tree.paths, kPathSeparator);
      Say(moments.refused ? moments.why : "", moments.refused);
    });
  });
}

std::optional<FileTime> RestoreDialog::ChosenMoment() {
  const int index = moments_->SelectedItem();
  if (index <= 0 || static_cast<size_t>(index) > shown_.size()) return std::nullopt;
  return shown_[index - 1].moment;
}

void RestoreDialog::ReadTree() {
  std::unique_lock<std::mutex> lock(mutex_);
  const RestoreRequest request{target_, "", {}, ChosenMoment()};
  tree_->SetTreePaths({}, kPathSeparator);
  const uint64_t reading = ++reading_;
  lock.unlock();
  StartDialogWorker(app_, [this, reading, request] {
    Unheard unheard;
    const RestorePathsResults tree = ListRestorePaths(app_.fs, app_.clock, request, unheard);
    OnWindowThread(app_, [&] {
      std::lock_guard<std::mutex> lock(mutex_);
      if (reading != reading_) return;
      tree_->SetTreePaths(tree.paths, kPathSeparator);
      Say(tree.refused ? tree.why : "", tree.refused);
    });
  });
}

void RestoreDialog::ChooseDest() {
  const std::string start = dest_->GetText(kPathFieldMaxCount);
  const std::optional<std::string> chosen =
      app_.window->ChooseFolder("Restore into an empty folder", start);
  if (chosen) dest_->SetText(*chosen);
}

void RestoreDialog::StartRestore() {
  std::unique_lock<std::mutex> lock(mutex_);
  const RestoreRequest request{target_, dest_->GetText(kPathFieldMaxCount), tree_->TickedPaths(),
                               ChosenMoment()};
  if (request.dest.empty()) return Say("Choose the folder to restore into first.", true);
  auto log = std::make_shared<OperationLog>(app_.Seams());
  std::string holder;
  std::shared_ptr<const void> claim = app_.claims.Claim(target_, kRestoreClaim, &holder);
  if (claim == nullptr) {
    const std::string why = NotStartedLine(holder, target_);
    log->Write(InWindowWords(why));
    return Say(why, true);
  }
  restore_->Enable(false);
  Say("Restoring...", false);
  const std::string source = g_hSourceEdit->GetText(kPathFieldMaxCount);
  lock.unlock();
  const bool started = StartDialogWorker(app_, [this, request, source, log, claim] {
    RestoreResults results;
    results.why = CheckDestOutsideSource(app_.fs, source, request.dest);
    results.refused = !results.why.empty();
    if (!results.refused) results = RestoreTree(app_.fs, app_.clock, request, *log);
    if (results.refused) log->Write(InWindowWords(results.why));
    OnWindowThread(app_, [&] {
      std::lock_guard<std::mutex> lock(mutex_);
      Finished(results);
    });
  });
  if (!started) {
    lock.lock();
    restore_->Enable(true);
    Say("The restore could not be started: no thread is left for it.", true);
  }
}

void RestoreDialog::Finished(const RestoreResults& results) {
  restore_->Enable(true);
  if (results.refused) return Say(results.why, true);
  const RestoreTally& tally = results.tally;
  Say("Restored " + std::to_string(tally.restored) + ", left out " + std::to_string(tally.leftOut) +
          ", failed " + std::to_string(tally.failed) + " (the backup log names each).",
      results.ExitStatus() != 0);
}

}  // namespace qs
