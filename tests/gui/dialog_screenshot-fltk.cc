// A picture-taking stand-in for the desktop program: the main window with its table's
// controls under a menu bar, and a dialog holding a control of every kind, opened from the
// menu (Ctrl+R), and the folder chooser (Ctrl+O). dialog_screenshot_test.sh drives it under Xvfb
// and takes the pictures.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "app/control_table.h"
#include "app/window_controls.h"

namespace qs {
namespace {

constexpr int kOpenDialog = 1, kExit = 2, kChosen = 3, kChooseFolder = 4;

const MenuItem kMenu[] = {
    {"&File", "Choose &Source Folder...", kChooseFolder, 'O'},
    {"&File", nullptr, 0, 0},
    {"&File", "E&xit", kExit, 0},
    {"&Backup", "Start &Backup Now", 11, 'B'},
    {"&Restore", "&Restore Files...", kOpenDialog, 'R'},
    {"&Help", "&About Quillstone", 12, 0},
};

class Stand : public WindowEvents {
 public:
  void Run() {
    std::string error;
    window_ = CreateMainWindow(kWindowCaption, kWindowWidth, kWindowHeight, *this, &error);
    if (window_ == nullptr) return static_cast<void>(std::fprintf(stderr, "%s\n", error.c_str()));
    window_->SetMenu(kMenu);
    for (const ControlRow& row : kControls) window_->CreateControl(row.layout, row.layout.text);
    for (const AddedControlRow& row : kAddedControls)
      window_->CreateControl(row.layout, row.layout.text);
    window_->Show();
    window_->RunMessageLoop();
  }

  void OnCommand(int id) override {
    if (id == kOpenDialog) OpenDialog();
    if (id == kExit) window_->Destroy();
    if (id == kChooseFolder) {
      const std::optional<std::string> folder =
          window_->ChooseFolder("Choose the source folder", "/tmp");
      std::printf("chosen: %s\n", folder ? folder->c_str() : "(nothing)");
    }
    if (id == kChosen && list_ != nullptr) status_->SetText("Chosen: " + list_->GetText(100));
  }
  void OnClose() override { window_->Destroy(); }

 private:
  // The dialog's events: its close request hides it.
  struct DialogEvents : WindowEvents {
    explicit DialogEvents(Stand& stand) : stand(stand) {}
    void OnCommand(int id) override { stand.OnCommand(id); }
    void OnClose() override { stand.dialog_->Hide(); }
    Stand& stand;
  };

  void OpenDialog() {
    if (dialog_ != nullptr) return dialog_->Show();
    dialog_ = window_->CreateDialog("Every kind", 420, 420, dialog_events_);
    dialog_->CreateControl({ControlClass::kStatic, "", 0, 10, 10, 200, 20, 0},
                           "Restore to this folder:");
    dialog_->CreateControl({ControlClass::kEdit, "", kStyleBorder, 10, 32, 400, 22, 0},
                           "/home/ann/restored");
    Control* alert = dialog_->CreateControl({ControlClass::kStatic, "", 0, 10, 58, 400, 20, 0}, "");
    alert->SetText("The folder is not empty");
    alert->SetAlert(true);
    dialog_->CreateControl({ControlClass::kButton, "", kStyleAutoCheckBox, 10, 80, 250, 22, 0},
                           "Keep 12 months");
    list_ = dialog_->CreateControl(
        {ControlClass::kList, "", kStyleBorder | kStyleVScroll, 10, 106, 400, 90, kChosen}, "");
    list_->SetItems({"Latest", "2026-12-09 08:15  3 failed", "2026-12-08 08:15  succeeded"});
    list_->SelectItem(1);
    Control* tree =
        dialog_->CreateControl({ControlClass::kTree, "", kStyleBorder, 10, 202, 400, 150, 0}, "");
    tree->SetTreePaths({"letters/2026/hello.txt", "letters/notes.txt", "photos/a.jpg", "x.txt"},
                       '/');
    status_ = dialog_->CreateControl({ControlClass::kStatic, "", 0, 10, 358, 400, 20, 0}, "");
    dialog_->CreateControl({ControlClass::kButton, "", 0, 200, 384, 100, 26, 0}, "Cancel");
    dialog_->CreateControl({ControlClass::kButton, "", kStyleDefault, 310, 384, 100, 26, 0},
                           "Restore");
    dialog_->Show();
  }

  std::unique_ptr<MainWindow> window_;
  DialogEvents dialog_events_{*this};
  std::unique_ptr<DialogWindow> dialog_;
  Control* list_ = nullptr;
  Control* status_ = nullptr;
};

}  // namespace
}  // namespace qs

int main() {
  qs::Stand stand;
  stand.Run();
  std::fflush(nullptr);
  std::quick_exit(0);  // the toolkit's windows live to the end of the process
}
