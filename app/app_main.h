// The program from start to end: settings, window, clock and scheduler threads, the message
// loop, and shut-down.
#pragma once

#include <memory>
#include <string>

#include "app/window_controls.h"

namespace qs {

using WindowFactory = std::unique_ptr<MainWindow> (*)(const std::string& caption, int width,
                                                      int height, WindowEvents& events,
                                                      std::string* error);

/// Runs the program with windows from `make_window`; returns the process's exit code: 0, or 1
/// when the window cannot be made (the reason is written to standard error). Threads may
/// still run when it returns: end the process with std::quick_exit, which destroys no
/// static object under them.
int AppMain(WindowFactory make_window);

/// Test hook: when QS_DUMP_PANES_ON_EXIT names a directory, the text of both panes is written
/// there as backup_log.txt and file_log.txt, once: at the close request, before the window is
/// destroyed, or else once the message loop has ended.
void DumpPanesIfAsked();

}  // namespace qs
