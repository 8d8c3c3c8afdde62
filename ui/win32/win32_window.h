// Shared by the Win32 window files of this directory only (never by portable code): the
// child controls over their window handles, the window's scale and font, and what the main
// window and the dialogs both do with their children.
#pragma once

#include <windows.h>
// <windows.h> names CreateDialogW so; the seam's member keeps its own name.
#undef CreateDialog

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "app/window_controls.h"

namespace qs::win32 {

/// Runs work on the window thread while the caller waits.
using WindowThreadRunner = std::function<void(const std::function<void()>&)>;

/// A label, field or button over its window handle.
std::unique_ptr<Control> MakeControl(HWND hwnd, WindowThreadRunner run);
/// A multi-line read-only EDIT control and the log pane over it.
std::unique_ptr<Control> MakeLogPaneControl(HWND hwnd, WindowThreadRunner run);
/// A LISTBOX, and a tree view with a box to tick at each item.
std::unique_ptr<Control> MakeListControl(HWND hwnd, WindowThreadRunner run);
std::unique_ptr<Control> MakeTreeControl(HWND hwnd, WindowThreadRunner run);

/// The table's pixels are for 96 dots per inch; `dpi` scales them.
int Scaled(int pixels, int dpi);
/// The system's message font (Segoe UI 9 pt on Windows 10 and 11) at `dpi`; null when the
/// system gives none. The caller deletes it.
HFONT CreateMessageFont(int dpi);

/// The size of `text` on one line in the control's font, as the control draws it.
SIZE LineSize(HWND hwnd, const std::wstring& text);

/// The children of the main window and of the dialogs, made alike.
struct ChildParent {
  HWND hwnd;
  int dpi;
  HFONT font;  // may be null
  WindowThreadRunner run;
};
/// Makes the child control of `row` in `parent` and the Control over it; null when the system
/// refuses the window. The Control's handle is kept with the child, for drops.
std::unique_ptr<Control> CreateChildControl(const ChildParent& parent, const ControlLayout& row,
                                            const std::string& text);
/// Whether a WM_COMMAND is one the program hears: a menu entry, an accelerator, a click, a
/// list's selection, a change of an edit that asks for it. Other notices go unheard.
bool IsProgramCommand(WPARAM wparam, LPARAM lparam);
/// The reply to WM_CTLCOLORSTATIC: the window's own colour behind, red text for an alert.
LRESULT ColorStatic(HDC dc, HWND control);
/// Turns a label's red on or off (window thread).
void SetAlertOf(HWND control, bool alert);
/// The tree view's notices (NM_CLICK, TVN_KEYDOWN) to the parent: a tick carries down.
void OnTreeNotify(const NMHDR& header);
/// Carries a tick down to the items below (the parent posts it to itself, see OnTreeNotify).
constexpr UINT kTreeTickMessage = WM_APP + 2;
void OnTreeTicked(HWND tree, LPARAM item);

/// The menu bar of `items`, and the table of their Ctrl shortcuts (null when none).
HMENU CreateMenuBar(std::span<const MenuItem> items);
HACCEL CreateMenuAccelerators(std::span<const MenuItem> items);

/// The system's chooser (IFileDialog), on the calling thread, owned by `owner`.
std::optional<std::string> ChoosePath(HWND owner, const std::string& title,
                                      const std::string& start, bool folders);

/// WM_DROPFILES in `window`: the paths go to the field under the drop point, if any.
void HandleDrop(HWND window, HDROP drop, WindowEvents& events);

/// Makes a dialog owned by `owner` (window thread).
std::unique_ptr<DialogWindow> CreateDialogWindow(HWND owner, const std::string& caption, int width,
                                                 int height, WindowEvents& events,
                                                 WindowThreadRunner run);
/// The message loop's part for the dialogs: Enter, Escape and Tab in one of them. True when
/// the message has been handled.
bool HandleDialogMessage(MSG& message);

}  // namespace qs::win32
