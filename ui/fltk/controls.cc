// The controls made from table rows over FLTK: labels, fields and buttons here; lists, trees
// and the log pane in files of their own. Callbacks only turn clicks, edits and drops into
// WindowEvents.
#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Return_Button.H>

#include <cctype>

#include "ui/fltk/fltk_controls.h"
#include "ui/fltk/fltk_window_look.h"
#include "ui/fltk/fltk_window_thread.h"

namespace qs::fltk {

namespace {

const Fl_Color kAlertColor = fl_rgb_color(200, 0, 0);

/// ES_NUMBER: typed characters other than digits are refused.
class NumberInput : public DropField {
 public:
  using DropField::DropField;
  int handle(int event) override {
    if (event == FL_KEYBOARD && TypesNonDigit()) return 1;
    return DropField::handle(event);
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

Fl_Widget* MakeLabel(const ControlLayout& layout, int x, int y, int w, int h) {
  Fl_Widget* label = MakeCaption(x, y, w, h);
  label->box(FL_FLAT_BOX);  // so that a new text is drawn over a cleared background
  // Status texts change and stay inside their box; a fixed caption may run past a narrow box
  // into the empty space beside it rather than being cut.
  if (layout.style & kStyleCenter)
    label->align(FL_ALIGN_CENTER | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
  else
    label->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
  if (layout.style & kStyleAlert) label->labelcolor(kAlertColor);
  return label;
}

Fl_Widget* MakeWidget(const ControlLayout& layout) {
  const int x = layout.x, y = layout.y, w = layout.width, h = layout.height;
  switch (layout.controlClass) {
    case ControlClass::kEdit: {
      Fl_Input* field =
          layout.style & kStyleNumber ? new NumberInput(x, y, w, h) : new DropField(x, y, w, h);
      if (layout.style & kStyleNotifyChange) field->when(FL_WHEN_CHANGED);
      return field;
    }
    case ControlClass::kButton:
      if (layout.style & kStyleAutoCheckBox) return new Fl_Check_Button(x, y, w, h);
      if (layout.style & kStyleDefault) return new Fl_Return_Button(x, y, w, h);
      return new Fl_Button(x, y, w, h);
    case ControlClass::kList:  // made elsewhere
    case ControlClass::kTree:
    case ControlClass::kStatic:
      break;
  }
  return MakeLabel(layout, x, y, w, h);
}

/// A label, field or button. A label's text is kept here and shown with the window's other
/// changes (the status labels are written at every log entry); the rest change at once.
class FltkControl : public Control, public ShownLater {
 public:
  FltkControl(Fl_Widget* widget, const ControlLayout& layout, WindowEvents& events)
      : widget_(widget),
        input_(dynamic_cast<DropField*>(widget)),
        button_(dynamic_cast<Fl_Button*>(widget)),
        is_label_(layout.controlClass == ControlClass::kStatic),
        id_(layout.id),
        normal_color_(widget->labelcolor()),
        events_(events) {
    if (id_ != 0) widget_->callback(&FltkControl::Clicked, this);
    if (input_ != nullptr)
      input_->OnDrop(
          [this](const std::vector<std::string>& paths) { events_.OnDrop(*this, paths); });
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
  void SetAlert(bool alert) override {
    RunOnWindowThread([&] {
      widget_->labelcolor(alert ? kAlertColor : normal_color_);
      widget_->redraw();
    });
  }

  TextFit MeasureText() override {
    TextFit fit;
    RunOnWindowThread([&] {
      fit = input_ != nullptr ? MeasureFieldLine(*widget_)
                              : MeasureLabel(*widget_, CurrentText().c_str());
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
  DropField* input_;
  Fl_Button* button_;
  const bool is_label_;
  const int id_;
  // A table row in red keeps red as its usual colour.
  const Fl_Color normal_color_;
  WindowEvents& events_;
  // A label's text, under the window's exclusion.
  std::string label_text_;
  bool stale_ = false;
};

}  // namespace

std::unique_ptr<Control> MakeControl(const ControlLayout& row, int dy, WindowEvents& events) {
  ControlLayout layout = row;
  layout.y += dy;
  switch (layout.controlClass) {
    case ControlClass::kList:
      return MakeListControl(layout, events);
    case ControlClass::kTree:
      return MakeTreeControl(layout);
    case ControlClass::kEdit:
      if (layout.style & kStyleMultiline) return MakeLogPaneControl(layout);
      break;
    case ControlClass::kStatic:
    case ControlClass::kButton:
      break;
  }
  return std::make_unique<FltkControl>(MakeWidget(layout), layout, events);
}

}  // namespace qs::fltk
