// Shared by the FLTK files of this directory only: the controls made from table rows, the
// same in the main window and in dialogs.
#pragma once

#include <FL/Fl_Input.H>

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/window_controls.h"

class Fl_Menu_Bar;
class Fl_Window;

namespace qs::fltk {

/// Makes the control a table row describes in the group being built, `dy` pixels lower than
/// the row says (below a menu bar); its clicks, changes and drops go to `events`.
std::unique_ptr<Control> MakeControl(const ControlLayout& layout, int dy, WindowEvents& events);

/// A list or a tree where the (already shifted) row puts it.
std::unique_ptr<Control> MakeListControl(const ControlLayout& layout, WindowEvents& events);
std::unique_ptr<Control> MakeTreeControl(const ControlLayout& layout);

/// A field that takes the paths dropped on it from the file manager instead of their text.
class DropField : public Fl_Input {
 public:
  using Fl_Input::Fl_Input;
  void OnDrop(std::function<void(const std::vector<std::string>&)> on_drop) {
    on_drop_ = std::move(on_drop);
  }
  int handle(int event) override;

 private:
  std::function<void(const std::vector<std::string>&)> on_drop_;
  bool dropping_ = false;
};

/// The menu bar across the top of a window `width` wide, in the group being built.
Fl_Menu_Bar* MakeMenuBar(int width, std::span<const MenuItem> items, WindowEvents& events);

/// The folder or file chooser; nullopt when cancelled.
std::optional<std::string> ChoosePath(bool folder, const std::string& title,
                                      const std::string& start);

/// A dialog kept above `owner`.
std::unique_ptr<DialogWindow> MakeDialog(Fl_Window* owner, const std::string& caption, int width,
                                         int height, WindowEvents& events);

}  // namespace qs::fltk
