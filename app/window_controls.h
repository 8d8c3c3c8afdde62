// The window seam: one main window whose controls are made from a table, and the few
// operations the program performs on them. Realised over FLTK on Linux, USER32 on Windows.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "log/log_pane.h"

namespace qs {

/// kList: a list box of lines, one selectable. kTree: a tree of paths with a box to tick at each.
enum class ControlClass { kStatic, kEdit, kButton, kList, kTree };

/// Style bits beyond "child" and "visible", named after the Win32 styles they stand for.
enum ControlStyle : uint32_t {
  kStyleNone = 0,
  kStyleCenter = 1u << 0,        ///< SS_CENTER
  kStyleBorder = 1u << 1,        ///< WS_BORDER
  kStyleAutoHScroll = 1u << 2,   ///< ES_AUTOHSCROLL
  kStyleNumber = 1u << 3,        ///< ES_NUMBER
  kStyleAutoCheckBox = 1u << 4,  ///< BS_AUTOCHECKBOX
  kStyleVScroll = 1u << 5,       ///< WS_VSCROLL
  kStyleMultiline = 1u << 6,     ///< ES_MULTILINE
  kStyleAutoVScroll = 1u << 7,   ///< ES_AUTOVSCROLL
  kStyleReadOnly = 1u << 8,      ///< ES_READONLY
  kStyleAlert = 1u << 9,         ///< a label's text in red (WM_CTLCOLORSTATIC)
  kStyleNotifyChange =
      1u << 10,              ///< an edit with an id sends its command at each change (EN_CHANGE)
  kStyleDefault = 1u << 11,  ///< the button that Enter presses in a dialog (BS_DEFPUSHBUTTON)
};

/// One row of the control table: class, text, style, client position and size, command id.
struct ControlLayout {
  ControlClass controlClass;
  const char* text;
  uint32_t style;
  int x, y, width, height;
  int id;  ///< 0: sends no command
};

/// How a control's text fits it, in pixels: what the text takes in the control's own font, as
/// the window system measures it, and the room the control gives it (its box less a check
/// mark, a button's edges or a field's border).
struct TextFit {
  int text_width = 0;
  int text_height = 0;
  int room_width = 0;
  int room_height = 0;
  bool Fits() const { return text_width <= room_width && text_height <= room_height; }
};

/// A control of the main window. Every operation may be called from any thread; a call from
/// another thread is carried out as if on the window thread (on it, or under the toolkit's
/// lock that the window thread holds while it handles events) while the caller waits.
class Control {
 public:
  virtual ~Control() = default;
  /// At most max_count - 1 characters, as GetWindowTextA with nMaxCount reads them.
  virtual std::string GetText(int max_count) = 0;
  virtual void SetText(const std::string& text) = 0;
  virtual void Enable(bool enabled) = 0;
  /// Check boxes only: whether the box is ticked.
  virtual bool IsChecked() = 0;
  virtual void SetChecked(bool checked) = 0;
  /// The log pane behind a multi-line read-only edit control; null for other controls.
  virtual LogPane* AsLogPane() { return nullptr; }
  /// How the current text fits. A field scrolls its text sideways, so only a line's height
  /// is measured there (text_width 0); a log pane scrolls both ways and measures nothing.
  virtual TextFit MeasureText() { return {}; }

  /// Labels: shows the text in red (as kStyleAlert does) or in the usual colour.
  virtual void SetAlert(bool alert) { (void)alert; }

  /// Lists: replaces the lines, with none selected. A list with an id sends its command when
  /// the user selects a line.
  virtual void SetItems(const std::vector<std::string>& items) { (void)items; }
  /// Lists: the selected line's index, -1 for none.
  virtual int SelectedItem() { return -1; }
  virtual void SelectItem(int index) { (void)index; }
  /// Trees: replaces the tree with these paths, their parts split at `separator`; a path that
  /// is the start of another is a folder. Every box unticked, the top level shown.
  virtual void SetTreePaths(const std::vector<std::string>& paths, char separator) {
    (void)paths, (void)separator;
  }
  /// Trees: the ticked paths, in the tree's order. A ticked folder stands for all below it,
  /// which are not listed again.
  virtual std::vector<std::string> TickedPaths() { return {}; }
};

/// One entry of the menu bar. Its command comes through WindowEvents::OnCommand, as a
/// control's does.
struct MenuItem {
  const char* menu;   ///< the top-level menu, "&" before its mnemonic: "&File"
  const char* label;  ///< "Choose &Source Folder..."; null: a separator line
  int id;
  char ctrlKey;  ///< 'B': Ctrl+B sends it too; 0: no shortcut
};

/// A window of its own beside the main one (which stays usable), with controls made from
/// rows like the main window's. Window thread only, unless a Control says otherwise.
class DialogWindow {
 public:
  virtual ~DialogWindow() = default;
  /// Makes one child control, placed in the dialog's client area; the dialog owns it.
  virtual Control* CreateControl(const ControlLayout& layout, const std::string& text) = 0;
  virtual void Show() = 0;
  /// Hides it; its controls stay valid until the object is destroyed, which must not happen
  /// inside one of its own events.
  virtual void Hide() = 0;
  virtual bool Shown() = 0;
};

/// Receives what the user does to the window, on the window thread.
class WindowEvents {
 public:
  virtual ~WindowEvents() = default;
  /// A click on a control whose id is not 0 (a check box has already toggled itself).
  virtual void OnCommand(int id) = 0;
  /// The close request (window manager's close button, Alt+F4). Escape is not one.
  virtual void OnClose() = 0;
  /// Paths dropped from the file manager onto `control` (a field).
  virtual void OnDrop(Control& control, const std::vector<std::string>& paths) {
    (void)control, (void)paths;
  }
};

class MainWindow {
 public:
  virtual ~MainWindow() = default;
  /// Makes one child control; the window owns it. The handle stays valid until the process ends.
  virtual Control* CreateControl(const ControlLayout& layout, const std::string& text) = 0;
  virtual void Show() = 0;
  /// Handles events until Destroy; returns 0.
  virtual int RunMessageLoop() = 0;
  /// Hides and destroys the window; the message loop then returns.
  virtual void Destroy() = 0;
  /// Runs `work` on the window thread, or as if on it (see Control); the caller waits for it.
  virtual void RunOnWindowThread(const std::function<void()>& work) = 0;

  /// Puts a menu bar above the client area, before any control is made; the window grows by
  /// its height, so the controls keep their client positions.
  virtual void SetMenu(std::span<const MenuItem> items) { (void)items; }
  /// The system's folder and file choosers, modal, starting at `start`; nullopt when cancelled.
  virtual std::optional<std::string> ChooseFolder(const std::string& title,
                                                  const std::string& start) {
    (void)title, (void)start;
    return std::nullopt;
  }
  virtual std::optional<std::string> ChooseFile(const std::string& title,
                                                const std::string& start) {
    (void)title, (void)start;
    return std::nullopt;
  }
  /// A dialog owned by the main window, not yet shown, of this client size; its clicks and
  /// its close request go to `events`. Null when it cannot be made.
  virtual std::unique_ptr<DialogWindow> CreateDialog(const std::string& caption, int width,
                                                     int height, WindowEvents& events) {
    (void)caption, (void)width, (void)height, (void)events;
    return nullptr;
  }
};

/// Makes the main window (not yet shown) with the caption and outer size given. Returns null
/// with a message in `error` when there is no display to show it on.
std::unique_ptr<MainWindow> CreateMainWindow(const std::string& caption, int width, int height,
                                             WindowEvents& events, std::string* error);

}  // namespace qs
