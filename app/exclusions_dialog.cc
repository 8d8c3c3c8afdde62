// The patterns are checked by the engine's own parser, so the dialog accepts exactly what a
// run accepts, and says why it refuses in the engine's words.
#include "app/exclusions_dialog.h"

#include "app/kept_dialog.h"
#include "engine/exclusions.h"
#include "settings/exclusions_file.h"

namespace qs {

namespace {

constexpr int Id(ExclusionsDialogId id) { return static_cast<int>(id); }

constexpr ControlClass kStatic = ControlClass::kStatic;
constexpr ControlClass kButton = ControlClass::kButton;
constexpr int kDialogWidth = 420;
constexpr int kDialogHeight = 310;

/// The sentence for the first refused line of `patterns`, or "" when every one is a pattern.
std::string FirstRefused(const std::vector<std::string>& patterns) {
  Exclusions exclusions;
  for (size_t i = 0; i < patterns.size(); ++i) {
    std::string why;
    if (!exclusions.Add(patterns[i], &why))
      return "\"" + patterns[i] + "\" is refused: " + why + ". Remove it before saving.";
  }
  return "";
}

}  // namespace

void ExclusionsDialog::MakeControls() {
  struct Row {
    ControlLayout layout;
    Control** keptIn;
  };
  const Row rows[] = {
      {{kStatic, "Left out of every backup:", kStyleNone, 10, 10, 400, 20, 0}, nullptr},
      {{ControlClass::kList, "", kStyleBorder | kStyleVScroll, 10, 32, 400, 150,
        Id(ExclusionsDialogId::kList)},
       &list_},
      {{kStatic, "New pattern:", kStyleNone, 10, 190, 100, 20, 0}, nullptr},
      {{ControlClass::kEdit, "", kStyleBorder | kStyleAutoHScroll | kStyleNotifyChange, 10, 212,
        300, 25, Id(ExclusionsDialogId::kPattern)},
       &pattern_},
      {{kButton, "Add", kStyleNone, 320, 212, 90, 25, Id(ExclusionsDialogId::kAdd)}, &add_},
      {{kStatic, "", kStyleNone, 10, 242, 400, 20, 0}, &verdict_},
      {{kButton, "Remove", kStyleNone, 10, 272, 90, 28, Id(ExclusionsDialogId::kRemove)}, nullptr},
      {{kButton, "Save", kStyleDefault, 220, 272, 90, 28, Id(ExclusionsDialogId::kSave)}, nullptr},
      {{kButton, "Cancel", kStyleNone, 320, 272, 90, 28, Id(ExclusionsDialogId::kCancel)}, nullptr},
  };
  for (const Row& row : rows) {
    Control* control = dialog_->CreateControl(row.layout, row.layout.text);
    if (row.keptIn != nullptr) *row.keptIn = control;
  }
}

bool ExclusionsDialog::Open() {
  path_ = ExclusionsPathBeside(app_.settingsPath);
  std::string text, why;
  if (!LoadExclusionsText(path_, &text, &why)) return LogEntry(app_.Seams(), why), false;
  dialog_ = app_.window->CreateDialog("Exclusions", kDialogWidth, kDialogHeight, *this);
  if (!dialog_) return LogEntry(app_.Seams(), "The exclusions dialog could not be made."), false;
  patterns_ = PatternLines(text);
  MakeControls();
  ShowPatterns();
  CheckTyped();
  // A line of the file that a run would refuse is named at once.
  if (const std::string refused = FirstRefused(patterns_); !refused.empty()) Say(refused, true);
  dialog_->Show();
  return true;
}

void ExclusionsDialog::OnCommand(int id) {
  switch (static_cast<ExclusionsDialogId>(id)) {
    case ExclusionsDialogId::kPattern:
      return CheckTyped();
    case ExclusionsDialogId::kAdd:
      return Add();
    case ExclusionsDialogId::kRemove:
      return Remove();
    case ExclusionsDialogId::kSave:
      return Save();
    case ExclusionsDialogId::kCancel:
      return dialog_->Hide();
    default:
      return;
  }
}

void ExclusionsDialog::ShowPatterns() { list_->SetItems(patterns_); }

void ExclusionsDialog::Say(const std::string& text, bool alert) {
  verdict_->SetText(text);
  verdict_->SetAlert(alert);
}

void ExclusionsDialog::CheckTyped() {
  const std::string typed = pattern_->GetText(kPathFieldMaxCount);
  ExclusionPattern pattern;
  std::string why;
  const bool accepted = !typed.empty() && ExclusionPattern::Parse(typed, &pattern, &why);
  add_->Enable(accepted);
  if (typed.empty()) return Say("Type a pattern, such as *.tmp or /cache/.", false);
  if (accepted) return Say("Accepted.", false);
  Say("Refused: " + why + ".", true);
}

void ExclusionsDialog::Add() {
  const std::string typed = pattern_->GetText(kPathFieldMaxCount);
  ExclusionPattern pattern;
  std::string why;
  if (typed.empty() || !ExclusionPattern::Parse(typed, &pattern, &why)) return CheckTyped();
  patterns_.push_back(typed);
  ShowPatterns();
  pattern_->SetText("");
  CheckTyped();
}

void ExclusionsDialog::Remove() {
  const int selected = list_->SelectedItem();
  if (selected < 0 || static_cast<size_t>(selected) >= patterns_.size()) return;
  patterns_.erase(patterns_.begin() + selected);
  ShowPatterns();
}

void ExclusionsDialog::Save() {
  if (const std::string refused = FirstRefused(patterns_); !refused.empty())
    return Say(refused, true);
  std::string why;
  if (!SaveExclusions(patterns_, path_, &why)) {
    Say(why, true);
    return LogEntry(app_.Seams(), why);
  }
  dialog_->Hide();
}

void OnExclusions(AppContext& app) { ShowOrRemake<ExclusionsDialog>(app, app.exclusionsDialog); }

}  // namespace qs
