// A dialog over Fl_Double_Window: not modal, kept above the main window by the window manager
// (transient for it), fixed in size, with controls made as the main window's are. Its close
// button and Escape both ask to close; what happens then is the program's choice.
#include <FL/Fl.H>
#include <FL/Fl_Double_Window.H>
#include <FL/x.H>

#include <vector>

#include "ui/fltk/fltk_controls.h"

namespace qs::fltk {

namespace {

class FltkDialog : public DialogWindow {
 public:
  FltkDialog(Fl_Window* owner, const std::string& caption, int width, int height,
             WindowEvents& events)
      : owner_(owner), window_(new Fl_Double_Window(width, height)), events_(events) {
    window_->copy_label(caption.c_str());
    window_->callback(&FltkDialog::CloseRequested, this);
    window_->set_non_modal();
    window_->end();
  }
  // The widgets go first: a log pane's display lets go of its text buffer, which its control
  // owns.
  ~FltkDialog() override {
    delete window_;
    controls_.clear();
  }

  Control* CreateControl(const ControlLayout& layout, const std::string& text) override {
    window_->begin();
    std::unique_ptr<Control> control = MakeControl(layout, 0, events_);
    window_->end();
    control->SetText(text);
    controls_.push_back(std::move(control));
    return controls_.back().get();
  }
  void Show() override {
    window_->show();
    // FLTK makes a non-modal window transient for the window it made first; name the owner.
    if (owner_ != nullptr && owner_->shown())
      XSetTransientForHint(fl_display, fl_xid(window_), fl_xid(owner_));
  }
  void Hide() override { window_->hide(); }
  bool Shown() override { return window_->shown() != 0; }

 private:
  static void CloseRequested(Fl_Widget*, void* self) {
    static_cast<FltkDialog*>(self)->events_.OnClose();
  }

  Fl_Window* owner_;
  Fl_Double_Window* window_;
  WindowEvents& events_;
  std::vector<std::unique_ptr<Control>> controls_;
};

}  // namespace

std::unique_ptr<DialogWindow> MakeDialog(Fl_Window* owner, const std::string& caption, int width,
                                         int height, WindowEvents& events) {
  return std::make_unique<FltkDialog>(owner, caption, width, height, events);
}

}  // namespace qs::fltk
