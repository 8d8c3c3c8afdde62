// "Check Copies...": a share of the copies' bytes to read, whether to repair, and the check on
// a worker; its lines go to the backup log as a run's do.
#pragma once

#include <memory>
#include <string>

#include "app/app_context.h"
#include "app/window_controls.h"

namespace qs {

class CheckDialog : public WindowEvents {
 public:
  enum Id : int { kBudget = 201, kRepair, kCheck = 210, kClose, kMessage = 220 };

  explicit CheckDialog(AppContext& app) : app_(app) {}
  /// Makes the dialog the first time, then shows it; false when it cannot be made.
  bool Open();
  void OnCommand(int id) override;
  void OnClose() override;

 private:
  void MakeControls();
  void Start();
  void Done(const std::string& sentence);

  AppContext& app_;
  std::unique_ptr<DialogWindow> dialog_;
  Control* budget_ = nullptr;
  Control* repair_ = nullptr;
  Control* check_ = nullptr;
  Control* message_ = nullptr;
};

}  // namespace qs
