// The program's portable main: window, threads, message loop and shut-down.
#pragma once

namespace qs {

/// Runs the desktop program until its window is closed; returns the process's exit status.
int AppMain();

}  // namespace qs
