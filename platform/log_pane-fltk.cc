// The log pane over FLTK: the CR LF text model is the pane's content, and an Fl_Text_Buffer
// mirrors it with LF line ends for the Fl_Text_Display that shows it. Every operation runs on
// the window thread.
#include <FL/Fl.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Display.H>

#include <cstdlib>

#include "platform/fltk_window_thread.h"
#include "platform/log_pane.h"
#include "platform/pane_text.h"

namespace qs::fltk {

namespace {

class FltkLogPane : public LogPane {
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
    RunOnWindowThread([&] { ReplaceShown(text); });
  }
  void ScrollBy(int lines) override {
    RunOnWindowThread([&] {
      text_.ScrollBy(lines);
      ShowFirstVisibleLine();
    });
  }
  void SetText(const std::string& text) override {
    RunOnWindowThread([&] {
      text_.SetText(text);
      buffer_.text(WithoutCarriageReturns(text).c_str());
    });
  }
  void RunAsUnit(const std::function<void()>& unit) override { RunOnWindowThread(unit); }

  /// What the display shows, with CR LF line ends again.
  std::string ShownText() {
    std::string shown;
    RunOnWindowThread([&] {
      char* raw = buffer_.text();
      for (const char* c = raw; *c != '\0'; ++c) {
        if (*c == '\n') shown += '\r';
        shown += *c;
      }
      free(raw);
    });
    return shown;
  }

 private:
  int Read(const std::function<int()>& read) {
    int result = 0;
    RunOnWindowThread([&] { result = read(); });
    return result;
  }

  void ReplaceShown(const std::string& text) {
    const LfChange change = text_.ReplaceSelectionMirrored(text);
    buffer_.replace(change.start, change.end, change.text.c_str());
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

  PaneText text_;
  Fl_Text_Buffer buffer_;
  Fl_Text_Display* display_;
};

class FltkPaneControl : public Control {
 public:
  explicit FltkPaneControl(const ControlSpec& spec)
      : display_(new Fl_Text_Display(spec.x, spec.y, spec.width, spec.height)), pane_(display_) {
    display_->box(FL_DOWN_BOX);
    display_->textsize(FL_NORMAL_SIZE);
    // Long lines wrap, as in the edit control; line counts stay CR LF lines all the same.
    display_->wrap_mode(Fl_Text_Display::WRAP_AT_BOUNDS, 0);
  }

  std::string GetText(int max_count) override { return CutToCount(pane_.ShownText(), max_count); }
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

std::unique_ptr<Control> MakeLogPaneControl(const ControlSpec& spec) {
  return std::make_unique<FltkPaneControl>(spec);
}

}  // namespace qs::fltk
