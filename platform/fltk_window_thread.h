// Shared by the FLTK files of this directory only: carrying work over to the window thread,
// and the log pane control.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/window_controls.h"

namespace qs::fltk {

/// Makes the calling thread the window thread and lets other threads wake its loop.
void BecomeWindowThread();

/// Runs `work` on the window thread while the caller waits; at once when called there.
void RunOnWindowThread(const std::function<void()>& work);

/// At most max_count - 1 characters of `text`, as GetWindowTextA returns them.
std::string CutToCount(const std::string& text, int max_count);

/// A read-only multi-line text pane at the spec's place, added to the window being built.
std::unique_ptr<Control> MakeLogPaneControl(const ControlSpec& spec);

}  // namespace qs::fltk
