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

/// The clock thread's checks, once a second: the overdue line of the stored target, and the
/// last backup of the target in the field, as the user chose or typed it (the one a click on
/// "Start Backup Now" backs up into).
void EachSecond(AppContext& app) {
  ShowOverdue(app);
  app.lastBackup.Check(g_hTargetEdit->GetText(kPathFieldMaxCount), app.added.lastBackupLabel);
}

}  // namespace

void DumpPanesIfAsked() {
  // Once: the close request dumps while the panes still exist (a destroyed Win32 edit reads
  // as empty), and the end of the loop then leaves that dump as it is.
  static bool dumped = false;
  const char* dir = std::getenv("QS_DUMP_PANES_ON_EXIT");
  if (dumped || dir == nullptr || *dir == '\0') return;
  dumped = true;
  const std::string base = std::string(dir) + kPathSeparator;
  if (g_hBackupLog != nullptr) WriteText(base + "backup_log.txt", g_hBackupLog->GetText(1 << 30));
  if (g_hFileLog != nullptr) WriteText(base + "file_log.txt", g_hFileLog->GetText(1 << 30));
}

int AppMain(WindowFactory make_window) {
  // As long as the window: to the end of the process, which threads may outlive AppMain into.
  static const std::unique_ptr<FileSystem> fs = MakeRealFileSystem();
  static AppContext app(*fs, RealClock());
  static WindowCommands events(app);
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
           [] { std::thread([] { app.status.RunClock([] { EachSecond(app); }); }).detach(); });
  window->Show();
  const int code = window->RunMessageLoop();
  DumpPanesIfAsked();
  window.release();
  return code;
}

}  // namespace qs
