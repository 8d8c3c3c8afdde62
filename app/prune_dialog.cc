// The dialog's state is the window thread's: a worker hands its outcome back through
// RunOnWindowThread. A dry run claims nothing (it writes nothing); the removal claims the
// target for its whole length.
#include "app/prune_dialog.h"

#include "app/kept_dialog.h"
#include "app/operation_dialogs.h"
#include "engine/prune_versions.h"
#include "engine/typed_numbers.h"
#include "log/window_lines.h"
#include "schedule/operation_worker.h"

namespace qs {

namespace {

struct RuleField {
  const char* label;
  int RetentionPolicy::*rule;
  const char* initial;
};

// The runner's keep rules, in its order; by default 30 days plus 12 months.
constexpr RuleField kRuleFields[] = {
    {"Newest versions:", &RetentionPolicy::last, ""},
    {"Newest of each of the last hours:", &RetentionPolicy::hourly, ""},
    {"Newest of each of the last days:", &RetentionPolicy::daily, "30"},
    {"Newest of each of the last weeks:", &RetentionPolicy::weekly, ""},
    {"Newest of each of the last months:", &RetentionPolicy::monthly, "12"},
    {"Every version this many days from the newest:", &RetentionPolicy::within, ""},
};

constexpr int kWidth = 460;
constexpr int kHeight = 420;

/// The paths of what a prune removed, or would remove.
class GoneList : public RunObserver {
 public:
  void OnRunEvent(const RunEvent& event) override {
    const RunEventKind k = event.kind;
    if (k == RunEventKind::kVersionFolderWouldGo || k == RunEventKind::kLeftoverWouldGo ||
        k == RunEventKind::kVersionFolderRemoved || k == RunEventKind::kLeftoverRemoved)
      paths.emplace_back(event.path);
  }
  std::vector<std::string> paths;
};

class Both : public RunObserver {
 public:
  Both(RunObserver& a, RunObserver& b) : a_(a), b_(b) {}
  void OnRunEvent(const RunEvent& event) override {
    a_.OnRunEvent(event);
    b_.OnRunEvent(event);
  }

 private:
  RunObserver& a_;
  RunObserver& b_;
};

}  // namespace

bool PruneDialog::Key::operator==(const Key& other) const {
  const RetentionPolicy& a = keep;
  const RetentionPolicy& b = other.keep;
  return a.last == b.last && a.hourly == b.hourly && a.daily == b.daily && a.weekly == b.weekly &&
         a.monthly == b.monthly && a.within == b.within && target == other.target;
}

bool PruneDialog::Open() {
  if (!MadeOnce(app_, dialog_, "Prune Versions", kWidth, kHeight, *this,
                [this] { MakeControls(); }))
    return false;
  UpdatePruneButton();
  dialog_->Show();
  return true;
}

void PruneDialog::MakeControls() {
  DialogWindow& d = *dialog_;
  int y = 10;
  for (size_t i = 0; i < std::size(kRuleFields); ++i, y += 30) {
    d.CreateControl({ControlClass::kStatic, "", kStyleNone, 10, y + 3, 330, 20, 0},
                    kRuleFields[i].label);
    fields_[i] = d.CreateControl({ControlClass::kEdit, "", kStyleBorder | kStyleNotifyChange, 350,
                                  y, 90, 24, kLast + static_cast<int>(i)},
                                 kRuleFields[i].initial);
  }
  show_ =
      d.CreateControl({ControlClass::kButton, "", kStyleDefault, 10, y, 170, 28, kShowWhatWouldGo},
                      "Show What Would Go");
  prune_ =
      d.CreateControl({ControlClass::kButton, "", kStyleNone, 190, y, 100, 28, kPrune}, "Prune");
  d.CreateControl({ControlClass::kButton, "", kStyleNone, 340, y, 100, 28, kClose}, "Close");
  message_ =
      d.CreateControl({ControlClass::kStatic, "", kStyleNone, 10, y + 38, 440, 20, kMessage}, "");
  list_ = d.CreateControl({ControlClass::kList, "", kStyleBorder | kStyleVScroll, 10, y + 64, 440,
                           kHeight - y - 74, kWouldGo},
                          "");
}

void PruneDialog::OnCommand(int id) {
  if (id == kShowWhatWouldGo) return Start(true);
  if (id == kPrune) return Start(false);
  if (id == kClose) return OnClose();
  if (id >= kLast && id <= kWithin) UpdatePruneButton();
}

void PruneDialog::OnClose() { dialog_->Hide(); }

std::optional<PruneDialog::Key> PruneDialog::Read(std::string* why) {
  Key key;
  for (size_t i = 0; i < std::size(kRuleFields); ++i) {
    const std::string text = fields_[i]->GetText(16);
    int& rule = key.keep.*kRuleFields[i].rule;
    if (text.empty()) continue;  // the rule is not used: 0, and -1 for "within"
    if (!ParseCount(text, &rule)) {
      *why = "A keep rule is a whole number of at most seven digits, not \"" + text + "\".";
      return std::nullopt;
    }
  }
  if (!key.keep.Any()) {
    *why = "Choose what to keep: every rule is empty or 0, which would keep nothing.";
    return std::nullopt;
  }
  key.target = TypedTarget();
  if (key.target.empty()) {
    *why = "Type or choose a target folder first.";
    return std::nullopt;
  }
  return key;
}

void PruneDialog::Say(const std::string& sentence) { message_->SetText(sentence); }

void PruneDialog::UpdatePruneButton() {
  std::string ignored;
  const std::optional<Key> key = Read(&ignored);
  prune_->Enable(!running_ && shown_ && key && *key == *shown_);
}

void PruneDialog::Start(bool dry_run) {
  if (running_) return;
  std::string why;
  const std::optional<Key> key = Read(&why);
  if (!key) return Say(why), UpdatePruneButton();
  // The target field may have changed without the dialog hearing of it.
  if (!dry_run && !(shown_ && *key == *shown_))
    return Say("Show what would go for these rules and this target first."), UpdatePruneButton();
  auto outcome = std::make_shared<Outcome>();
  const PruneRequest request{key->target, key->keep, dry_run};
  const auto work = [request, outcome](OperationLog& log, const JobServices& services) {
    GoneList gone;
    Both both(log, gone);
    const PruneResults results = PruneVersions(*services.fs, *services.log.clock, request, both);
    const std::string why = InWindowWords(results.why);
    if (results.refused) log.Write(why);
    *outcome = {results.refused, why, std::move(gone.paths), results.bytes};
  };
  // The dialog lives as long as the program's context, which outlives every worker.
  const auto finished = [this, dry_run, key = *key, outcome] {
    app_.window->RunOnWindowThread([&] { Done(dry_run, key, *outcome); });
  };
  const OperationStart start{dry_run ? "" : kPruneClaim, key->target};
  running_ = true;
  show_->Enable(false);
  prune_->Enable(false);
  list_->SetItems({});
  Say(dry_run ? "Looking for what these rules would remove..." : "Removing...");
  if (StartOperation(app_.Seams(), start, work, finished)) return;
  running_ = false;
  show_->Enable(true);
  const std::string holder = app_.claims.Holder(key->target);
  Say(holder.empty() ? "Not started: no worker could be started."
                     : NotStartedLine(holder, key->target));
  UpdatePruneButton();
}

void PruneDialog::Done(bool dry_run, const Key& key, const Outcome& outcome) {
  running_ = false;
  show_->Enable(true);
  list_->SetItems(outcome.paths);
  // A removal uses up the dry run it followed: the next one is shown afresh.
  shown_.reset();
  const std::string count = std::to_string(outcome.paths.size());
  const std::string bytes = std::to_string(outcome.bytes) + " bytes";
  if (outcome.refused)
    Say(outcome.why);
  else if (!dry_run)
    Say("Removed " + count + " (" + bytes + " freed); the backup log has the details.");
  else if (outcome.paths.empty())
    Say("Nothing would go: these rules keep every version folder."), shown_ = key;
  else
    Say(count + " would go (" + bytes + "); Prune removes them."), shown_ = key;
  UpdatePruneButton();
}

void OpenPruneDialog(AppContext& app) {
  OpenKept<PruneDialog>(app, app.pruneDialog, "Prune Versions");
}

}  // namespace qs
