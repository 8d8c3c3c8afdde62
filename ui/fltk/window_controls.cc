// The window seam over FLTK 1.3: one Fl_Double_Window whose children are made from the
// control table, under a menu bar when the program gives one, and the dialogs and choosers
// it opens. Callbacks only turn clicks and the close request into WindowEvents.
#include "app/window_controls.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/x.H>

#include <cstdlib>
#include <vector>

#include "ui/fltk/fltk_controls.h"
#include "ui/fltk/fltk_window_look.h"
#include "ui/fltk/fltk_window_thread.h"

namespace qs {

namespace {

class FltkMainWindow : public MainWindow {
 public:
  FltkMainWindow(const std::string& caption, int width, int height, WindowEvents& events)
      : window_(new Fl_Double_Window(width, height)), events_(events) {
    window_->copy_label(caption.c_str());
    window_->callback(&FltkMainWindow::CloseRequested, this);
    AllowResizeWithoutMovingControls(width, height);
    window_->end();
  }

  Control* CreateControl(const ControlLayout& layout, const std::string& text) override {
    window_->begin();
    std::unique_ptr<Control> control = fltk::MakeControl(layout, menu_height_, events_);
    window_->end();
    control->SetText(text);
    controls_.push_back(std::move(control));
    return controls_.back().get();
  }
  void Show() override { window_->show(); }
  int RunMessageLoop() override { return Fl::run(); }
  // Under FLTK's lock: hiding the window from another thread while the window thread draws
  // would mix their requests on the one display connection.
  void Destroy() override {
    fltk::RunOnWindowThread([this] { window_->hide(); });
  }
  void RunOnWindowThread(const std::function<void()>& work) override {
    fltk::RunOnWindowThread(work);
  }

  // The bar takes the top of the window, which grows by its height; the client area (and
  // every control made from now on) starts below it, as under a Win32 menu.
  void SetMenu(std::span<const MenuItem> items) override {
    window_->begin();
    Fl_Menu_Bar* bar = fltk::MakeMenuBar(window_->w(), items, events_);
    window_->end();
    menu_height_ = bar->h();
    corner_->position(corner_->x(), corner_->y() + menu_height_);
    window_->size(window_->w(), window_->h() + menu_height_);
  }
  std::optional<std::string> ChooseFolder(const std::string& title,
                                          const std::string& start) override {
    return fltk::ChoosePath(true, title, start);
  }
  std::optional<std::string> ChooseFile(const std::string& title,
                                        const std::string& start) override {
    return fltk::ChoosePath(false, title, start);
  }
  std::unique_ptr<DialogWindow> CreateDialog(const std::string& caption, int width, int height,
                                             WindowEvents& events) override {
    return fltk::MakeDialog(window_, caption, width, height, events);
  }

 private:
  // FLTK resizes the children around the window's resizable box; a box below and to the right
  // of every control leaves them all where they are.
  void AllowResizeWithoutMovingControls(int width, int height) {
    constexpr int kRight = 600, kBottom = 590;
    corner_ = new Fl_Box(kRight, kBottom, width - kRight, height - kBottom);
    corner_->box(FL_NO_BOX);
    window_->resizable(corner_);
    window_->size_range(100, 100);
  }

  static void CloseRequested(Fl_Widget*, void* self) {
    // FLTK offers Escape as a close; only the window manager's close request is one.
    if ((Fl::event() == FL_SHORTCUT || Fl::event() == FL_KEYBOARD) && Fl::event_key() == FL_Escape)
      return;
    static_cast<FltkMainWindow*>(self)->events_.OnClose();
  }

  Fl_Double_Window* window_;  // never deleted: the process ends with it
  Fl_Box* corner_ = nullptr;
  WindowEvents& events_;
  int menu_height_ = 0;
  std::vector<std::unique_ptr<Control>> controls_;
};

}  // namespace

std::unique_ptr<MainWindow> CreateMainWindow(const std::string& caption, int width, int height,
                                             WindowEvents& events, std::string* error) {
  // FLTK ends the process when it cannot open the display; ask first. One connection serves
  // every window: FLTK keeps its fonts, made on the first, for the life of the process.
  if (fl_display == nullptr) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
      const char* name = std::getenv("DISPLAY");
      *error = std::string("cannot open the display \"") + (name != nullptr ? name : "") +
               "\"; the window needs an X display (is DISPLAY set?)";
      return nullptr;
    }
    fl_open_display(display);
  }
  fltk::BecomeWindowThread();
  fltk::ApplyWindowLook();
  return std::make_unique<FltkMainWindow>(caption, width, height, events);
}

}  // namespace qs
