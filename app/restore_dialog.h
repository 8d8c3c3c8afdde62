// "Restore Files...": the moments the target can be restored as of, the tree it held then, and
// a restore of all of it or of the ticked paths into an empty folder, on a worker.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/app_context.h"
#include "app/window_controls.h"
#include "engine/restore_listing.h"
#include "engine/tree_restore.h"

namespace qs {

/// The dialog's command ids.
enum RestoreDialogId : int {
  kRestoreMoments = 1,  ///< the list: a moment chosen
  kRestoreChooseDest = 2,
  kRestoreStart = 3,
  kRestoreClose = 4,
};

/// The dialog's line for a moment: its local time and the run's outcome.
std::string MomentLine(const RestoreMoment& moment);

class RestoreDialog : public WindowEvents {
 public:
  explicit RestoreDialog(AppContext& app) : app_(app) {}
  /// Makes the dialog at the first call; shows it, reading the target field's target afresh
  /// unless it is already shown. False when the window makes no dialog.
  bool Open();
  void OnCommand(int id) override;
  void OnClose() override;

 private:
  void MakeControls();
  /// Starts the worker that reads the moments and the tree as of the latest.
  void ReadMoments();
  /// Starts the worker that reads the tree as of the chosen moment.
  void ReadTree();
  void ChooseDest();
  void StartRestore();
  /// The restore's answer, under mutex_.
  void Finished(const RestoreResults& results);
  /// The label's sentence; in red when `alert`.
  void Say(const std::string& text, bool alert);
  std::optional<FileTime> ChosenMoment();

  AppContext& app_;
  std::unique_ptr<DialogWindow> dialog_;
  Control* moments_ = nullptr;
  Control* tree_ = nullptr;
  Control* dest_ = nullptr;
  Control* label_ = nullptr;
  Control* restore_ = nullptr;
  /// Guards what follows: the window's events and the workers' answers both change it. Never
  /// held across a chooser, whose own event loop may give a worker's answer meanwhile.
  std::mutex mutex_;
  std::string target_;
  std::vector<RestoreMoment> shown_;  ///< the list's moments after "Latest"
  /// One more at every read started: an answer for an older one is dropped.
  uint64_t reading_ = 0;
};

}  // namespace qs
