// "About Quillstone": the program's name and version, and where its settings are kept.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "app/app_context.h"

namespace qs {

enum class AboutDialogId : int { kOk = 1 };

class AboutDialog : public WindowEvents {
 public:
  explicit AboutDialog(AppContext& app) : app_(app) {}
  /// Makes and shows it; false when the dialog cannot be made.
  bool Open();
  DialogWindow* Window() { return dialog_.get(); }

  void OnCommand(int id) override;
  void OnClose() override { dialog_->Hide(); }

 private:
  AppContext& app_;
  /// The labels' texts, which their rows point to for as long as the dialog lives.
  std::array<std::string, 4> texts_;
  std::unique_ptr<DialogWindow> dialog_;
};

/// "Version 1.2.3", of this build.
std::string VersionLine();
/// `path` made absolute against the working folder, as the program opens it.
std::string FullPath(const std::string& path);

/// The menu's "About Quillstone": shows the open dialog again, or opens a new one.
void OnAbout(AppContext& app);

}  // namespace qs
