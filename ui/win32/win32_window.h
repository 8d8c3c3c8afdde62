// Shared by the Win32 window files of this directory only (never by portable code): the
// child controls over their window handles, and the window's scale and font.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "app/window_controls.h"

namespace qs::win32 {

/// Runs work on the window thread while the caller waits.
using WindowThreadRunner = std::function<void(const std::function<void()>&)>;

/// A label, field or button over its window handle.
std::unique_ptr<Control> MakeControl(HWND hwnd);
/// A multi-line read-only EDIT control and the log pane over it.
std::unique_ptr<Control> MakeLogPaneControl(HWND hwnd, WindowThreadRunner run);

/// The table's pixels are for 96 dots per inch; `dpi` scales them.
int Scaled(int pixels, int dpi);
/// The system's message font (Segoe UI 9 pt on Windows 10 and 11) at `dpi`; null when the
/// system gives none. The caller deletes it.
HFONT CreateMessageFont(int dpi);

}  // namespace qs::win32
