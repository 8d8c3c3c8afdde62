// For the FLTK window tests: what the user does, sent through FLTK's own event dispatch as
// the display's events would be, the widgets of a window found by their kind, and a main
// window to test in.
#pragma once

// gtest before X11's headers (FLTK's include them), whose macros (None, Bool) would break it.
// clang-format off
#include <gtest/gtest.h>
// clang-format on

#include <FL/Fl.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Window.H>

#include <cstring>
#include <string>
#include <vector>

#include "app/control_table.h"
#include "app/window_controls.h"

namespace qs::test {

/// Records what the window tells the program.
class RecordedEvents : public WindowEvents {
 public:
  void OnCommand(int id) override { commands.push_back(id); }
  void OnClose() override { ++closes; }
  void OnDrop(Control& control, const std::vector<std::string>& paths) override {
    dropped_on = &control;
    dropped.push_back(paths);
  }
  std::vector<int> commands;
  int closes = 0;
  Control* dropped_on = nullptr;
  std::vector<std::vector<std::string>> dropped;
};

/// The shown window of that caption, or null.
inline Fl_Window* ShownWindow(const std::string& caption) {
  for (Fl_Window* w = Fl::first_window(); w != nullptr; w = Fl::next_window(w))
    if (w->label() != nullptr && caption == w->label()) return w;
  return nullptr;
}

/// Lets the window appear and be drawn (so that a tree knows where its items are).
inline void LetDraw() {
  for (int i = 0; i < 10; ++i) Fl::wait(0.02);
  Fl::flush();
}

/// The n-th child of `group` that is a T, in the order they were made.
template <class T>
T* NthWidget(Fl_Group* group, int n = 0) {
  for (int i = 0; i < group->children(); ++i)
    if (auto* found = dynamic_cast<T*>(group->child(i)); found != nullptr && n-- == 0) return found;
  return nullptr;
}

/// A left click at (x, y) of the window.
inline void ClickAt(Fl_Window* window, int x, int y) {
  Fl::e_x = x;
  Fl::e_y = y;
  Fl::e_x_root = window->x() + x;
  Fl::e_y_root = window->y() + y;
  Fl::e_keysym = FL_Button + FL_LEFT_MOUSE;
  Fl::e_is_click = 1;
  Fl::e_clicks = 0;
  Fl::e_state = FL_BUTTON1;
  Fl::handle(FL_PUSH, window);
  Fl::e_state = 0;
  Fl::handle(FL_RELEASE, window);
}

/// A key pressed with `state` (FL_CTRL...) held, as it reaches the window with the focus.
inline int PressKey(Fl_Window* window, int key, int state = 0) {
  static char no_text[] = "";
  Fl::e_keysym = key;
  Fl::e_state = state;
  Fl::e_text = no_text;
  Fl::e_length = 0;
  return Fl::handle(FL_KEYBOARD, window);
}

/// A main window of the table's size, shown by ShowMain and destroyed at the end.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    window_ = CreateMainWindow(kWindowCaption, kWindowWidth, kWindowHeight, events_, &error);
    ASSERT_NE(nullptr, window_) << error;
  }
  void TearDown() override {
    if (window_ != nullptr) window_->Destroy();
    test::LetDraw();
  }
  Fl_Window* ShowMain() {
    window_->Show();
    test::LetDraw();
    return test::ShownWindow(kWindowCaption);
  }

  RecordedEvents events_;
  std::unique_ptr<MainWindow> window_;
};

}  // namespace qs::test
