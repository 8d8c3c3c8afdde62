// The list is read on a worker: over a big record it takes a while, and the window stays
// usable meanwhile.
#include "app/versions_dialog.h"

#include "app/app_state.h"
#include "app/control_table.h"
#include "app/dialog_worker.h"
#include "app/kept_dialog.h"
#include "engine/copy_restore.h"
#include "engine/paths.h"
#include "log/window_lines.h"

namespace qs {

namespace {

constexpr ControlClass kStatic = ControlClass::kStatic;
constexpr ControlClass kButton = ControlClass::kButton;
constexpr int kWidth = 620, kHeight = 360;

const ControlLayout kFileLabel{kStatic, "File:", kStyleNone, 10, 10, 300, 20, 0};
const ControlLayout kFileField{
    ControlClass::kEdit, "", kStyleBorder | kStyleAutoHScroll | kStyleReadOnly, 10, 32, 500, 25, 0};
const ControlLayout kChoose{kButton, "Choose...", kStyleNone, 520, 32, 90, 25, kVersionsChooseFile};
const ControlLayout kList{ControlClass::kList, "", kStyleBorder | kStyleVScroll, 10, 67, 600, 200,
                          kVersionsList};
const ControlLayout kSayLabel{kStatic, "", kStyleNone, 10, 275, 600, 20, 0};
const ControlLayout kRestoreTo{kButton, "Restore To...",   kStyleNone, 310, 320, 100,
                               28,      kVersionsRestoreTo};
const ControlLayout kOpen{kButton, "Open", kStyleNone, 420, 320, 90, 28, kVersionsOpen};
const ControlLayout kClose{kButton, "Close", kStyleNone, 520, 320, 90, 28, kVersionsClose};

class Unheard : public RunObserver {
 public:
  void OnRunEvent(const RunEvent&) override {}
};

}  // namespace

bool PathBelowSource(const std::string& source, const std::string& chosen, std::string* relative) {
  if (source.empty()) return false;
  const std::string root = WithTrailingSeparator(source);
  if (chosen.size() <= root.size() || chosen.compare(0, root.size(), root) != 0) return false;
  *relative = WithoutTrailingSeparator(chosen.substr(root.size()));
  return !relative->empty();
}

bool VersionsDialog::Open() {
  if (!MadeOnce(app_, dialog_, "Versions of a File", kWidth, kHeight, *this,
                [this] { MakeControls(); }))
    return false;
  dialog_->Show();
  return true;
}

void VersionsDialog::MakeControls() {
  dialog_->CreateControl(kFileLabel, kFileLabel.text);
  file_ = dialog_->CreateControl(kFileField, "");
  dialog_->CreateControl(kChoose, kChoose.text);
  list_ = dialog_->CreateControl(kList, "");
  label_ = dialog_->CreateControl(kSayLabel, "");
  restore_ = dialog_->CreateControl(kRestoreTo, kRestoreTo.text);
  dialog_->CreateControl(kOpen, kOpen.text);
  dialog_->CreateControl(kClose, kClose.text);
}

void VersionsDialog::OnCommand(int id) {
  switch (id) {
    case kVersionsChooseFile:
      return ChooseFile();
    case kVersionsRestoreTo:
      return RestoreTo();
    case kVersionsOpen:
      return OpenCopy();
    case kVersionsClose:
      return OnClose();
    default:
      return;
  }
}

void VersionsDialog::OnClose() { dialog_->Hide(); }

void VersionsDialog::Say(const std::string& text, bool alert) {
  label_->SetText(InWindowWords(text));
  label_->SetAlert(alert);
}

void VersionsDialog::ChooseFile() {
  const std::string source = g_hSourceEdit->GetText(kPathFieldMaxCount);
  const std::optional<std::string> chosen =
      app_.window->ChooseFile("Choose a file of the source folder", source);
  if (!chosen) return;
  std::string relative;
  if (!PathBelowSource(source, *chosen, &relative))
    return Say("The file must lie in the source folder " + source + ": " + *chosen + " does not.",
               true);
  file_->SetText(*chosen);
  ReadCopies(relative);
}

void VersionsDialog::ReadCopies(const std::string& relative) {
  std::unique_lock<std::mutex> lock(mutex_);
  target_ = g_hTargetEdit->GetText(kPathFieldMaxCount);
  relative_ = relative;
  copies_.clear();
  list_->SetItems({});
  Say("Reading the backup...", false);
  const uint64_t reading = ++reading_;
  const VersionsRequest request{target_, relative};
  // Not held while the worker starts: its answer takes the lock.
  lock.unlock();
  StartDialogWorker(app_, [this, reading, request] {
    Unheard unheard;
    VersionsResults results = ListFileVersions(app_.fs, app_.clock, request, unheard);
    OnWindowThread(app_, [&] {
      std::lock_guard<std::mutex> lock(mutex_);
      if (reading != reading_) return;
      if (results.refused) return Say(results.why, true);
      list_->SetItems(results.listing);
      copies_ = std::move(results.keptAt);
      if (!copies_.empty()) list_->SelectItem(0);
      Say("", false);
    });
  });
}

const ListedCopyAt* VersionsDialog::Selected() {
  const int index = list_->SelectedItem();
  if (index < 0 || static_cast<size_t>(index) >= copies_.size()) {
    Say("Choose a copy in the list first.", true);
    return nullptr;
  }
  if (copies_[index].path.empty()) {
    Say("No copy of those bytes is kept any more.", true);
    return nullptr;
  }
  return &copies_[index];
}

void VersionsDialog::OpenCopy() {
  std::lock_guard<std::mutex> lock(mutex_);
  const ListedCopyAt* copy = Selected();
  if (copy == nullptr) return;
  std::string why = "Nothing on this desktop opens files.";
  if (app_.openWithDesktop && app_.openWithDesktop(copy->path, &why)) return Say("", false);
  Say("Could not open " + copy->path + ": " + why, true);
}

void VersionsDialog::RestoreTo() {
  CopyRestoreRequest request;
  std::string target;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const ListedCopyAt* copy = Selected();
    if (copy == nullptr) return;
    request = {copy->path, copy->folder, relative_, ""};
    target = target_;
  }
  const std::optional<std::string> dest = app_.window->ChooseFolder("Restore the copy into", "");
  if (!dest) return;
  request.dest = *dest;
  StartCopyRestore(request, target);
}

void VersionsDialog::StartCopyRestore(const CopyRestoreRequest& request,
                                      const std::string& target) {
  auto log = std::make_shared<OperationLog>(app_.Seams());
  std::string holder;
  std::shared_ptr<const void> claim = app_.claims.Claim(target, kRestoreClaim, &holder);
  std::unique_lock<std::mutex> lock(mutex_);
  if (claim == nullptr) {
    const std::string why = NotStartedLine(holder, target);
    log->Write(InWindowWords(why));
    return Say(why, true);
  }
  restore_->Enable(false);
  lock.unlock();
  const bool started = StartDialogWorker(app_, [this, request, log, claim] {
    const CopyRestoreResults results = RestoreCopy(app_.fs, app_.clock, request, *log);
    if (results.refused) log->Write(InWindowWords(results.why));
    OnWindowThread(app_, [&] {
      std::lock_guard<std::mutex> lock(mutex_);
      restore_->Enable(true);
      if (results.refused) return Say(results.why, true);
      if (!results.restored) return Say("Could not restore " + request.relative + ".", true);
      Say("Restored to " + results.restoredTo, false);
    });
  });
  if (!started) {
    lock.lock();
    restore_->Enable(true);
    Say("The restore could not be started: no thread is left for it.", true);
  }
}

}  // namespace qs
