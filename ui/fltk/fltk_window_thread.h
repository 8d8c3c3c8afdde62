// Shared by the FLTK files of this directory only: reaching the window from any thread, and
// the log pane control.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/window_controls.h"

namespace qs::fltk {

/// Makes the calling thread the window thread; FLTK's lock is then held by it whenever it is
/// not waiting for events.
void BecomeWindowThread();

/// Runs `work` with the window to itself while the caller waits: at once on the window thread,
/// under FLTK's lock on any other (as a write sent to the window thread would run, it cannot
/// fall inside the window thread's handling of an event). The window thread is then woken to
/// show what changed.
void RunOnWindowThread(const std::function<void()>& work);

/// Something whose picture on screen is brought up to date on the window thread, at most every
/// 40 ms, after the writes that changed it. It is registered while it exists.
class ShownLater {
 public:
  ShownLater();
  virtual ~ShownLater();
  ShownLater(const ShownLater&) = delete;
  ShownLater& operator=(const ShownLater&) = delete;
  /// Window thread: shows the current state.
  virtual void Show() = 0;
};

/// At most max_count - 1 characters of `text`, as GetWindowTextA returns them.
std::string CutToCount(const std::string& text, int max_count);

/// A read-only multi-line text pane where the table row puts it, in the window being built.
std::unique_ptr<Control> MakeLogPaneControl(const ControlLayout& layout);

}  // namespace qs::fltk
