// The log pane over FLTK: the CR LF text model is the pane's content, and what the
// Fl_Text_Display shows (LF line ends) is copied from it on the window thread, at most every
// 40 ms. Every log operation works on the model at once, under the window's exclusion.
#include "log/log_pane.h"

#include <FL/Fl.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Display.H>

#include "ui/fltk/fltk_window_thread.h"
#include "ui/pane_text.h"

namespace qs::fltk {

namespace {

class FltkLogPane : public LogPane, public ShownLater {
 public:
  explicit FltkLogPane(Fl_Text_Display* display) : display_(display) { display_->buffer(&buffer_); }

  int TextLength() override {
    return Read([this] { return text_.TextLength(); });
  }
  int LineCount() override {
    return Read([this] { return text_.LineCount(); });
  }
  int LineStart(int line) override {
    return Read([&] { return text_.LineStart(line); });
  }
  void Select(int start, int end) override {
    RunOnWindowThread([&] { text_.Select(start, end); });
  }
  void ReplaceSelection(const std::string& text) override {
    Change([&] { text_.ReplaceSelection(text); });
  }
  void ScrollBy(int lines) override {
    Change([&] { text_.ScrollBy(lines); });
  }
  void SetText(const std::string& text) override {
    Change([&] { text_.SetText(text); });
  }
  void RunAsUnit(const std::function<void()>& unit) override { RunOnWindowThread(unit); }

  std::string Text() {
    std::string text;
    RunOnWindowThread([&] { text = text_.Text(); });
    return text;
  }

  void Show() override {
    if (!stale_) return;
    stale_ = false;
    buffer_.text(WithoutCarriageReturns(text_.Text()).c_str());
    ShowFirstVisibleLine();
  }

 private:
  int Read(const std::function<int()>& read) {
    int result = 0;
    RunOnWindowThread([&] { result = read(); });
    return result;
  }

  void Change(const std::function<void()>& change) {
    RunOnWindowThread([&] {
      change();
      stale_ = true;
    });
  }

  void ShowFirstVisibleLine() {
    const int line = text_.FirstVisibleLine();
    if (line >= text_.LineCount() - 1) {
      display_->insert_position(buffer_.length());
      display_->show_insert_position();
      return;
    }
    const int pos = PositionWithoutCarriageReturns(text_.Text(), text_.LineStart(line));
    display_->scroll(display_->count_lines(0, pos, true) + 1, 0);
  }

  // Under the window's exclusion.
  PaneText text_;
  bool stale_ = false;
  // Window thread only.
  Fl_Text_Buffer buffer_;
  Fl_Text_Display* display_;
};

class FltkPaneControl : public Control {
 public:
  explicit FltkPaneControl(const ControlLayout& layout)
      : display_(new Fl_Text_Display(layout.x, layout.y, layout.width, layout.height)),
        pane_(display_) {
    display_->box(FL_DOWN_BOX);
    display_->textsize(FL_NORMAL_SIZE);
    // Long lines wrap, as in the edit control; line counts stay CR LF lines all the same.
    display_->wrap_mode(Fl_Text_Display::WRAP_AT_BOUNDS, 0);
  }

  std::string GetText(int max_count) override { return CutToCount(pane_.Text(), max_count); }
  void SetText(const std::string& text) override { pane_.SetText(text); }
  void Enable(bool enabled) override {
    RunOnWindowThread([&] { enabled ? display_->activate() : display_->deactivate(); });
  }
  bool IsChecked() override { return false; }
  void SetChecked(bool) override {}
  LogPane* AsLogPane() override { return &pane_; }

 private:
  Fl_Text_Display* display_;  // owned by the window
  FltkLogPane pane_;
};

}  // namespace

std::unique_ptr<Control> MakeLogPaneControl(const ControlLayout& layout) {
  return std::make_unique<FltkPaneControl>(layout);
}

}  // namespace qs::fltk
