// The window seam over FLTK 1.3: one Fl_Double_Window whose children are made from the
// control table. Callbacks only turn clicks and the close request into WindowEvents.
#include "app/window_controls.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Input.H>
#include <FL/x.H>

#include <cctype>
#include <cstdlib>
#include <vector>

#include "ui/fltk/fltk_window_look.h"
#include "ui/fltk/fltk_window_thread.h"

namespace qs {

namespace {

using fltk::CutToCount;
using fltk::RunOnWindowThread;

/// ES_NUMBER: typed characters other than digits are refused.
class NumberInput : public Fl_Input {
 public:
  using Fl_Input::Fl_Input;
  int handle(int event) override {
    if (event == FL_KEYBOARD && TypesNonDigit()) return 1;
    return Fl_Input::handle(event);
  }

 private:
  static bool TypesNonDigit() {
    if (Fl::event_state() & (FL_CTRL | FL_ALT | FL_META)) return false;
    const char* typed = Fl::event_text();
    for (int i = 0; i < Fl::event_length(); ++i) {
      const unsigned char c = static_cast<unsigned char>(typed[i]);
      if (std::isprint(c) && !std::isdigit(c)) return true;
    }
    return false;
  }
};

Fl_Widget* MakeWidget(const ControlLayout& layout) {
  const int x = layout.x, y = layout.y, w = layout.width, h = layout.height;
  switch (layout.controlClass) {
    case ControlClass::kEdit:
      if (layout.style & kStyleNumber) return new NumberInput(x, y, w, h);
      return new Fl_Input(x, y, w, h);
    case ControlClass::kButton:
      if (layout.style & kStyleAutoCheckBox) return new Fl_Check_Button(x, y, w, h);
      return new Fl_Button(x, y, w, h);
    case ControlClass::kStatic:
      break;
  }
  Fl_Widget* label = fltk::MakeCaption(x, y, w, h);
  label->box(FL_FLAT_BOX);  // so that a new text is drawn over a cleared background
  // Status texts change and stay inside their box; a fixed caption may run past a narrow box
  // into the empty space beside it rather than being cut.
  if (layout.style & kStyleCenter)
    label->align(FL_ALIGN_CENTER | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
  else
    label->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
  if (layout.style & kStyleAlert) label->labelcolor(fl_rgb_color(200, 0, 0));
  return label;
}

/// A label, field or button. A label's text is kept here and shown with the window's other
/// changes (the status labels are written at every log entry); the rest change at once.
class FltkControl : public Control, public fltk::ShownLater {
 public:
  FltkControl(Fl_Widget* widget, const ControlLayout& layout, WindowEvents& events)
      : widget_(widget),
        input_(dynamic_cast<Fl_Input*>(widget)),
        button_(dynamic_cast<Fl_Button*>(widget)),
        is_label_(layout.controlClass == ControlClass::kStatic),
        id_(layout.id),
        events_(events) {
    if (id_ != 0) widget_->callback(&FltkControl::Clicked, this);
  }

  std::string GetText(int max_count) override {
    std::string text;
    RunOnWindowThread([&] { text = CutToCount(CurrentText(), max_count); });
    return text;
  }
  void SetText(const std::string& text) override {
    RunOnWindowThread([&] {
      if (input_ != nullptr) return static_cast<void>(input_->value(text.data(), text.size()));
      if (is_label_) {
        label_text_ = text;
        return static_cast<void>(stale_ = true);
      }
      widget_->copy_label(text.c_str());
    });
  }
  void Enable(bool enabled) override {
    RunOnWindowThread([&] { enabled ? widget_->activate() : widget_->deactivate(); });
  }
  bool IsChecked() override {
    bool checked = false;
    RunOnWindowThread([&] { checked = button_ != nullptr && button_->value() != 0; });
    return checked;
  }
  void SetChecked(bool checked) override {
    RunOnWindowThread([&] {
      if (button_ != nullptr) button_->value(checked ? 1 : 0);
    });
  }

  TextFit MeasureText() override {
    TextFit fit;
    RunOnWindowThread([&] {
      fit = input_ != nullptr ? fltk::MeasureFieldLine(*widget_)
                              : fltk::MeasureLabel(*widget_, CurrentText().c_str());
    });
    return fit;
  }

  void Show() override {
    if (!stale_) return;
    stale_ = false;
    widget_->copy_label(label_text_.c_str());
    widget_->redraw();
  }

 private:
  std::string CurrentText() const {
    if (input_ != nullptr) return std::string(input_->value(), input_->size());
    if (is_label_) return label_text_;
    return widget_->label() != nullptr ? widget_->label() : "";
  }
  static void Clicked(Fl_Widget*, void* self) {
    auto* control = static_cast<FltkControl*>(self);
    control->events_.OnCommand(control->id_);
  }

  Fl_Widget* widget_;  // owned by the window
  Fl_Input* input_;
  Fl_Button* button_;
  const bool is_label_;
  const int id_;
  WindowEvents& events_;
  // A label's text, under the window's exclusion.
  std::string label_text_;
  bool stale_ = false;
};

class FltkMainWindow : public MainWindow {
 public:
  FltkMainWindow(const std::string& caption, int width, int height, WindowEvents& events)
      : window_(new Fl_Double_Window(width, height)), events_(events) {
    window_->copy_label(caption.c_str());
    window_->callback(&FltkMainWindow::CloseRequested, this);
    AllowResizeWithoutMovingControls(width, height);
    window_->end();
  }

  Control* CreateControl(const ControlLayout& layout, const std::string& text) override;
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

 private:
  // FLTK resizes the children around the window's resizable box; a box below and to the right
  // of every control leaves them all where they are.
  void AllowResizeWithoutMovingControls(int width, int height) {
    constexpr int kRight = 600, kBottom = 590;
    auto* corner = new Fl_Box(kRight, kBottom, width - kRight, height - kBottom);
    corner->box(FL_NO_BOX);
    window_->resizable(corner);
    window_->size_range(100, 100);
  }

  static void CloseRequested(Fl_Widget*, void* self) {
    // FLTK offers Escape as a close; only the window manager's close request is one.
    if ((Fl::event() == FL_SHORTCUT || Fl::event() == FL_KEYBOARD) && Fl::event_key() == FL_Escape)
      return;
    static_cast<FltkMainWindow*>(self)->events_.OnClose();
  }

  Fl_Double_Window* window_;  // never deleted: the process ends with it
  WindowEvents& events_;
  std::vector<std::unique_ptr<Control>> controls_;
};

Control* FltkMainWindow::CreateControl(const ControlLayout& layout, const std::string& text) {
  window_->begin();
  std::unique_ptr<Control> control;
  if (layout.controlClass == ControlClass::kEdit && (layout.style & kStyleMultiline)) {
    control = fltk::MakeLogPaneControl(layout);
  } else {
    control = std::make_unique<FltkControl>(MakeWidget(layout), layout, events_);
  }
  window_->end();
  control->SetText(text);
  controls_.push_back(std::move(control));
  return controls_.back().get();
}

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
