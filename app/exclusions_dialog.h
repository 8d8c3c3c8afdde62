// "Exclusions…": the list of patterns every backup of the settings leaves out, edited with
// each new pattern checked as it is typed, and saved to backup_excludes.txt.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/app_context.h"

namespace qs {

/// The dialog's command ids (its own; they never reach the main window's OnCommand).
enum class ExclusionsDialogId : int {
  kList = 1,
  kPattern = 2,
  kAdd = 3,
  kRemove = 4,
  kSave = 5,
  kCancel = 6,
};

class ExclusionsDialog : public WindowEvents {
 public:
  explicit ExclusionsDialog(AppContext& app) : app_(app) {}
  /// Makes and shows the dialog with the file's patterns. False, with the reason in the backup
  /// log, when the file cannot be read (a save would lose it) or the dialog cannot be made.
  bool Open();
  DialogWindow* Window() { return dialog_.get(); }
  /// The line the verdict on the typed pattern (or on the file) is shown in.
  Control* Verdict() { return verdict_; }

  void OnCommand(int id) override;
  void OnClose() override { dialog_->Hide(); }

 private:
  void MakeControls();
  void ShowPatterns();
  /// Says whether the typed pattern is accepted, and greys Add when it is not.
  void CheckTyped();
  void Say(const std::string& text, bool alert);
  void Add();
  void Remove();
  void Save();

  AppContext& app_;
  std::string path_;
  std::vector<std::string> patterns_;
  std::unique_ptr<DialogWindow> dialog_;
  Control* list_ = nullptr;
  Control* pattern_ = nullptr;
  Control* add_ = nullptr;
  Control* verdict_ = nullptr;
};

/// The menu's "Exclusions…": shows the open dialog again, or opens a new one.
void OnExclusions(AppContext& app);

}  // namespace qs
