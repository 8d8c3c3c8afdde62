// qs_window_parts_show COMMANDS_FILE: the main window with a menu bar and a few controls, and a
// dialog beside it with a control of each kind, for tests/gui/windows_parts.sh to look at and
// click. Each command the windows send is written to COMMANDS_FILE as a line "main ID" or
// "dialog ID"; the main window's close request ends the program.
#include <cstdio>
#include <memory>
#include <string>

#include "app/window_controls.h"

namespace {

const qs::MenuItem kMenu[] = {
    {"&File", "Choose &Source Folder...", 101, 0},
    {"&File", "Choose &Target Folder...", 102, 0},
    {"&File", nullptr, 0, 0},
    {"&File", "E&xit", 103, 0},
    {"&Backup", "&Start Backup Now", 201, 'B'},
    {"&Backup", "&Dry Run", 202, 0},
    {"&Restore", "Restore &Files...", 301, 0},
    {"&Help", "&About Quillstone", 401, 0},
};

class Recorder : public qs::WindowEvents {
 public:
  Recorder(const char* path, const char* who) : path_(path), who_(who) {}
  void OnCommand(int id) override {
    // Binary: one "\n" a line, not the text mode's CR LF.
    if (FILE* file = std::fopen(path_, "ab")) {
      std::fprintf(file, "%s %d\n", who_, id);
      std::fclose(file);
    }
  }
  void OnClose() override {
    OnCommand(0);
    if (window != nullptr) window->Destroy();
  }
  qs::MainWindow* window = nullptr;

 private:
  const char* path_;
  const char* who_;
};

void FillDialog(qs::DialogWindow& dialog) {
  using qs::ControlClass;
  dialog.CreateControl({ControlClass::kStatic, "", 0, 10, 10, 140, 20, 0}, "Restore as of:");
  qs::Control* list = dialog.CreateControl({ControlClass::kList, "", 0, 10, 32, 400, 70, 21}, "");
  list->SetItems({"Latest", "2026-12-09 08:15  ok, 1204 files", "2026-12-08 08:15  3 failed"});
  list->SelectItem(1);
  qs::Control* tree = dialog.CreateControl({ControlClass::kTree, "", 0, 10, 110, 400, 130, 0}, "");
  tree->SetTreePaths({"Documents/Letters/a.pdf", "Documents/b.txt", "Music/c.mp3"}, '/');
  dialog.CreateControl({ControlClass::kButton, "", qs::kStyleAutoCheckBox, 10, 248, 250, 22, 22},
                       "Restore all files and folders");
  dialog.CreateControl(
      {ControlClass::kEdit, "", qs::kStyleBorder | qs::kStyleAutoHScroll | qs::kStyleNotifyChange,
       10, 276, 400, 24, 23},
      "C:\\Restored");
  qs::Control* alert = dialog.CreateControl({ControlClass::kStatic, "", 0, 10, 306, 400, 20, 0},
                                            "The destination folder is not empty.");
  alert->SetAlert(true);
  dialog.CreateControl({ControlClass::kButton, "", 0, 190, 334, 105, 26, 24}, "Close");
  dialog.CreateControl({ControlClass::kButton, "", qs::kStyleDefault, 305, 334, 105, 26, 25},
                       "&Restore");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: qs_window_parts_show COMMANDS_FILE\n");
    return 2;
  }
  Recorder main_events(argv[1], "main"), dialog_events(argv[1], "dialog");
  std::string error;
  auto window = qs::CreateMainWindow("Quillstone", 620, 640, main_events, &error);
  if (window == nullptr) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  main_events.window = window.get();
  window->SetMenu(kMenu);
  window->CreateControl({qs::ControlClass::kStatic, "", 0, 10, 10, 200, 20, 0},
                        "Source Directory:");
  window->CreateControl(
      {qs::ControlClass::kEdit, "", qs::kStyleBorder | qs::kStyleAutoHScroll, 10, 35, 400, 25, 0},
      "C:\\Users\\Zoë\\Documents");
  std::unique_ptr<qs::DialogWindow> dialog =
      window->CreateDialog("Restore Files", 420, 370, dialog_events);
  if (dialog == nullptr) return 1;
  FillDialog(*dialog);
  window->Show();
  dialog->Show();
  const int code = window->RunMessageLoop();
  dialog.reset();
  return code;
}
