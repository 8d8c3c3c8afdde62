// "Versions of a File...": the kept copies of one file of the source, newest first, and one
// of them restored into a chosen folder or opened with the desktop.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/app_context.h"
#include "app/window_controls.h"
#include "engine/copy_restore.h"
#include "engine/file_versions.h"

namespace qs {

enum VersionsDialogId : int {
  kVersionsChooseFile = 1,
  kVersionsList = 2,
  kVersionsRestoreTo = 3,
  kVersionsOpen = 4,
  kVersionsClose = 5,
};

/// The path of `chosen` below `source` (native separators, none at either end); false when it
/// does not lie below it.
bool PathBelowSource(const std::string& source, const std::string& chosen, std::string* relative);

class VersionsDialog : public WindowEvents {
 public:
  explicit VersionsDialog(AppContext& app) : app_(app) {}
  /// Makes the dialog at the first call and shows it. False when the window makes no dialog.
  bool Open();
  void OnCommand(int id) override;
  void OnClose() override;

 private:
  void MakeControls();
  void ChooseFile();
  /// Starts the worker that lists the copies of `relative`.
  void ReadCopies(const std::string& relative);
  /// The selected copy, or null with the sentence said.
  const ListedCopyAt* Selected();
  void RestoreTo();
  /// Claims the target and restores the copy on a worker.
  void StartCopyRestore(const CopyRestoreRequest& request, const std::string& target);
  void OpenCopy();
  void Say(const std::string& text, bool alert);

  AppContext& app_;
  std::unique_ptr<DialogWindow> dialog_;
  Control* file_ = nullptr;
  Control* list_ = nullptr;
  Control* label_ = nullptr;
  Control* restore_ = nullptr;
  /// Guards what follows, as in the restore dialog.
  std::mutex mutex_;
  std::string target_, relative_;
  std::vector<ListedCopyAt> copies_;  ///< the list's lines' copies
  uint64_t reading_ = 0;
};

}  // namespace qs
