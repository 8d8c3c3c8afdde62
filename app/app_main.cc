// The window and its controls are never destroyed: threads that outlive the message loop (a
// manual run, a scheduler left by a timed-out stop) may still hold their handles, and ending
// the process ends them.
#include "app/app_main.h"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <thread>

#include "app/app_context.h"
#include "app/app_state.h"
#include "app/commands.h"
#include "app/control_table.h"
#include "app/main_window.h"
#include "app/overdue_line.h"
#include "os/program_path.h"
#include "schedule/schedule_setup.h"

namespace qs {

namespace {

class AppEvents : public WindowEvents {
 public:
  explicit AppEvents(AppContext& app) : app_(app) {}
  void OnCommand(int id) override { qs::OnCommand(app_, id); }
  void OnClose() override { qs::OnClose(app_, *window); }
  MainWindow* window = nullptr;

 private:
  AppContext& app_;
};

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

/// The runner's own --schedule install and remove, for the quillstone-run beside this program.
int SetUpSystemSchedule(AppContext& app, bool install, std::ostream& out) {
  std::string problem;
  const int status =
      SetUpSchedule(install ? ScheduleAction::kInstall : ScheduleAction::kRemove,
                    RunnerBeside(ThisProgramPath()), app.clock, app.fs, out, &problem, false);
  if (!problem.empty()) out << "quillstone-run: " << problem << ".\n";
  return status;
}

}  // namespace

void DumpPanesIfAsked() {
  const char* dir = std::getenv("QS_DUMP_PANES_ON_EXIT");
  if (dir == nullptr || *dir == '\0') return;
  const std::string base = std::string(dir) + kPathSeparator;
  if (g_hBackupLog != nullptr) WriteText(base + "backup_log.txt", g_hBackupLog->GetText(1 << 30));
  if (g_hFileLog != nullptr) WriteText(base + "file_log.txt", g_hFileLog->GetText(1 << 30));
}

int AppMain(WindowFactory make_window) {
  // As long as the window: to the end of the process, which threads may outlive AppMain into.
  static const std::unique_ptr<FileSystem> fs = MakeRealFileSystem();
  static AppContext app(*fs, RealClock());
  static AppEvents events(app);
  static const std::unique_ptr<Notifier> notifier = MakeDesktopNotifier();
  app.notifier = notifier.get();
  app.systemSchedule = [](bool install, std::ostream& out) {
    return SetUpSystemSchedule(app, install, out);
  };
  std::string error;
  std::unique_ptr<MainWindow> window =
      make_window(kWindowCaption, kWindowWidth, kWindowHeight, events, &error);
  if (!window) {
    std::cerr << "quillstone: " << error << "\n";
    return 1;
  }
  events.window = window.get();
  OnCreate(app, *window,
           [] { std::thread([] { app.status.RunClock([] { ShowOverdue(app); }); }).detach(); });
  window->Show();
  const int code = window->RunMessageLoop();
  DumpPanesIfAsked();
  window.release();
  return code;
}

}  // namespace qs
