// The window and its controls are never destroyed: threads that outlive the message loop (a
// manual run, a scheduler left by a timed-out stop) may still hold their handles, and ending
// the process ends them.
#include "app/app_main.h"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <thread>

#include "app/commands.h"
#include "app/control_table.h"
#include "app/main_window.h"
#include "app/status_display.h"
#include "platform/file_system.h"

namespace qs {

namespace {

class AppEvents : public WindowEvents {
 public:
  void OnCommand(int id) override { qs::OnCommand(id); }
  void OnClose() override { qs::OnClose(*window); }
  MainWindow* window = nullptr;
};

void StartClockThread() { std::thread(ClockThreadProc).detach(); }

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

}  // namespace

void DumpPanesIfAsked() {
  const char* dir = std::getenv("QS_DUMP_PANES_ON_EXIT");
  if (dir == nullptr || *dir == '\0') return;
  const std::string base = std::string(dir) + kPathSeparator;
  if (Control* pane = FindControl(KeptAs::kBackupLog))
    WriteText(base + "backup_log.txt", pane->GetText(1 << 30));
  if (Control* pane = FindControl(KeptAs::kFileLog))
    WriteText(base + "file_log.txt", pane->GetText(1 << 30));
}

int AppMain(WindowFactory make_window) {
  static AppEvents events;  // as long as the window: to the end of the process
  std::string error;
  std::unique_ptr<MainWindow> window =
      make_window(kWindowCaption, kWindowWidth, kWindowHeight, events, &error);
  if (!window) {
    std::cerr << "quillstone: " << error << "\n";
    return 1;
  }
  events.window = window.get();
  OnCreate(*window, StartClockThread);
  window->Show();
  const int code = window->RunMessageLoop();
  DumpPanesIfAsked();
  window.release();
  return code;
}

}  // namespace qs
