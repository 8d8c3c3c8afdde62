// A list of lines over Fl_Hold_Browser: one line selected at most; a selection by the user
// sends the list's command.
#include <FL/Fl.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/fl_draw.H>

#include <algorithm>

#include "ui/fltk/fltk_controls.h"
#include "ui/fltk/fltk_window_thread.h"

namespace qs::fltk {

namespace {

// Fl_Browser draws a line three pixels in from each side of its box.
constexpr int kLineMargin = 3;

class FltkListControl : public Control {
 public:
  FltkListControl(const ControlLayout& layout, WindowEvents& events)
      : list_(new Fl_Hold_Browser(layout.x, layout.y, layout.width, layout.height)),
        id_(layout.id),
        events_(events) {
    list_->format_char(0);  // a line is its text: no "@" formatting
    list_->textsize(FL_NORMAL_SIZE);
    if (id_ != 0) {
      list_->when(FL_WHEN_CHANGED);
      list_->callback(&FltkListControl::Selected, this);
    }
  }

  std::string GetText(int max_count) override {
    std::string text;
    RunOnWindowThread([&] {
      const int line = list_->value();
      if (line > 0) text = CutToCount(list_->text(line), max_count);
    });
    return text;
  }
  void SetText(const std::string&) override {}
  void Enable(bool enabled) override {
    RunOnWindowThread([&] { enabled ? list_->activate() : list_->deactivate(); });
  }
  bool IsChecked() override { return false; }
  void SetChecked(bool) override {}

  void SetItems(const std::vector<std::string>& items) override {
    RunOnWindowThread([&] {
      list_->clear();
      for (const std::string& item : items) list_->add(item.c_str());
      list_->redraw();
    });
  }
  int SelectedItem() override {
    int index = -1;
    RunOnWindowThread([&] { index = list_->value() - 1; });
    return index;
  }
  void SelectItem(int index) override {
    RunOnWindowThread([&] {
      if (index < 0 || index >= list_->size()) return static_cast<void>(list_->deselect());
      list_->value(index + 1);
      list_->make_visible(index + 1);
    });
  }

  // The widest line against the width inside the box, less the scroll bar when the lines
  // need one; a line's height against the height inside.
  TextFit MeasureText() override {
    TextFit fit;
    RunOnWindowThread([&] {
      fl_font(list_->textfont(), list_->textsize());
      for (int line = 1; line <= list_->size(); ++line)
        fit.text_width = std::max(fit.text_width, static_cast<int>(fl_width(list_->text(line))));
      fit.text_height = fl_height();
      fit.room_height = list_->h() - Fl::box_dh(list_->box());
      fit.room_width = list_->w() - Fl::box_dw(list_->box()) - 2 * kLineMargin;
      if (list_->size() * fit.text_height > fit.room_height)
        fit.room_width -= list_->scrollbar_size() ? list_->scrollbar_size() : Fl::scrollbar_size();
    });
    return fit;
  }

 private:
  static void Selected(Fl_Widget*, void* self) {
    auto* control = static_cast<FltkListControl*>(self);
    if (control->list_->value() > 0) control->events_.OnCommand(control->id_);
  }

  Fl_Hold_Browser* list_;  // owned by the window
  const int id_;
  WindowEvents& events_;
};

}  // namespace

std::unique_ptr<Control> MakeListControl(const ControlLayout& layout, WindowEvents& events) {
  return std::make_unique<FltkListControl>(layout, events);
}

}  // namespace qs::fltk
