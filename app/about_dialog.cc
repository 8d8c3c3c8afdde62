// The paths are shown in full: the settings are found relative to the working folder, which
// a person cannot see from the window.
#include "app/about_dialog.h"

#include <filesystem>

#include "app/kept_dialog.h"
#include "quillstone_version.h"
#include "schedule/run_seams.h"
#include "settings/exclusions_file.h"

namespace qs {

namespace {

constexpr int kDialogWidth = 560;
constexpr int kDialogHeight = 170;

}  // namespace

std::string VersionLine() { return std::string("Version ") + QS_VERSION_TEXT; }

std::string FullPath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(
      std::filesystem::path(std::u8string(path.begin(), path.end())), error);
  if (error) return path;
  const std::u8string text = full.lexically_normal().u8string();
  return std::string(text.begin(), text.end());
}

bool AboutDialog::Open() {
  dialog_ = app_.window->CreateDialog("About Quillstone", kDialogWidth, kDialogHeight, *this);
  if (!dialog_)
    return LogEntry(app_.Seams(), "The About Quillstone dialog could not be made."), false;
  texts_ = {"Quillstone", VersionLine(), "Settings: " + FullPath(app_.settingsPath),
            "Exclusions: " + FullPath(ExclusionsPathBeside(app_.settingsPath))};
  for (size_t i = 0; i < texts_.size(); ++i) {
    const int y = i < 2 ? 10 + 24 * static_cast<int>(i) : 64 + 24 * static_cast<int>(i - 2);
    const ControlLayout label{
        ControlClass::kStatic, texts_[i].c_str(), kStyleNone, 10, y, 540, 20, 0};
    dialog_->CreateControl(label, texts_[i]);
  }
  const ControlLayout ok{ControlClass::kButton,
                         "OK",
                         kStyleDefault,
                         460,
                         128,
                         90,
                         28,
                         static_cast<int>(AboutDialogId::kOk)};
  dialog_->CreateControl(ok, ok.text);
  dialog_->Show();
  return true;
}

void AboutDialog::OnCommand(int id) {
  if (id == static_cast<int>(AboutDialogId::kOk)) dialog_->Hide();
}

void OnAbout(AppContext& app) { ShowOrRemake<AboutDialog>(app, app.aboutDialog); }

}  // namespace qs
