// Every check claims its target, repair or not: it appends its fact to the record, and a copy
// a backup is rewriting meanwhile would read as changed outside the backup.
#include "app/check_dialog.h"

#include "app/kept_dialog.h"
#include "app/operation_dialogs.h"
#include "engine/check_copies.h"
#include "engine/check_lines.h"
#include "engine/typed_numbers.h"
#include "engine/version_target.h"
#include "log/window_lines.h"
#include "schedule/operation_worker.h"

namespace qs {

namespace {

constexpr int kWidth = 520;
constexpr int kHeight = 150;
/// As the runner reads its copies when no share is given.
constexpr char kDefaultBudget[] = "100";

/// What the dialog says of a check that ran, short enough for its line; the backup log has
/// the whole summary and each copy.
std::string ShortSentence(const CheckResults& results) {
  std::string sentence = "Read " + std::to_string(results.read) + " of " +
                         std::to_string(results.copies) +
                         " copies: " + std::to_string(results.damaged) + " damaged";
  if (results.repaired > 0) sentence += " (" + std::to_string(results.repaired) + " repaired)";
  sentence += ", " + std::to_string(results.changed) + " changed outside the backup";
  if (results.unreadable > 0) sentence += ", " + std::to_string(results.unreadable) + " unreadable";
  return sentence + ".";
}

}  // namespace

bool CheckDialog::Open() {
  if (!MadeOnce(app_, dialog_, "Check Copies", kWidth, kHeight, *this, [this] { MakeControls(); }))
    return false;
  dialog_->Show();
  return true;
}

void CheckDialog::MakeControls() {
  DialogWindow& d = *dialog_;
  d.CreateControl({ControlClass::kStatic, "", kStyleNone, 10, 13, 300, 20, 0},
                  "Share of the copies' bytes to read (%):");
  budget_ = d.CreateControl(
      {ControlClass::kEdit, "", kStyleBorder | kStyleNumber, 320, 10, 90, 24, kBudget},
      kDefaultBudget);
  repair_ =
      d.CreateControl({ControlClass::kButton, "", kStyleAutoCheckBox, 10, 44, 400, 22, kRepair},
                      "Repair damaged copies from the source or another copy");
  check_ =
      d.CreateControl({ControlClass::kButton, "", kStyleDefault, 10, 76, 100, 28, kCheck}, "Check");
  d.CreateControl({ControlClass::kButton, "", kStyleNone, 410, 76, 100, 28, kClose}, "Close");
  message_ =
      d.CreateControl({ControlClass::kStatic, "", kStyleNone, 10, 114, 500, 20, kMessage}, "");
}

void CheckDialog::OnCommand(int id) {
  if (id == kCheck) return Start();
  if (id == kClose) return OnClose();
}

void CheckDialog::OnClose() { dialog_->Hide(); }

void CheckDialog::Start() {
  const std::string text = budget_->GetText(16);
  int percent = 0;
  if (!ParsePercent(text, &percent))
    return message_->SetText("The share to read is a whole percentage from 1 to 100, not \"" +
                             text + "\".");
  const std::string target = TypedTarget();
  if (target.empty()) return message_->SetText("Type or choose a target folder first.");
  const bool repair = repair_->IsChecked();
  auto last = std::make_shared<std::string>();
  const auto work = [target, percent, repair, last](OperationLog& log, const JobServices& s) {
    VersionTarget opened;
    if (!OpenVersionTarget(*s.fs, target, false, &opened, last.get())) {
      *last = InWindowWords(*last);
      return log.Write(*last);
    }
    const CheckRequest request{opened.folder, percent, repair};
    const CheckResults results = CheckCopies(*s.fs, *s.log.clock, request, log);
    const std::vector<std::string> lines = CheckSummaryLines(results);
    for (const std::string& line : lines) log.Write(line);
    if (results.outcome == CheckResults::Outcome::kChecked && results.copies > 0)
      *last = ShortSentence(results);
    else
      *last = lines.empty() ? std::string(kNothingToCheck) : lines.front();
  };
  // The dialog lives as long as the program's context, which outlives every worker.
  const auto finished = [this, last] { app_.window->RunOnWindowThread([&] { Done(*last); }); };
  check_->Enable(false);
  message_->SetText("Checking...");
  if (StartOperation(app_.Seams(), {kCheckClaim, target}, work, finished)) return;
  check_->Enable(true);
  const std::string holder = app_.claims.Holder(target);
  message_->SetText(holder.empty() ? "Not started: no worker could be started."
                                   : NotStartedLine(holder, target));
}

void CheckDialog::Done(const std::string& sentence) {
  check_->Enable(true);
  message_->SetText(sentence);
}

void OpenCheckDialog(AppContext& app) {
  OpenKept<CheckDialog>(app, app.checkDialog, "Check Copies");
}

}  // namespace qs
