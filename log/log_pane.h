// The log pane seam: a read-only multi-line text control used as an append-only log.
#pragma once

#include <functional>
#include <string>

namespace qs {

/// Lines are separated by CR LF; an empty pane has 1 line. Positions and lengths count the
/// pane's own characters: UTF-16 units in the Windows EDIT control, bytes elsewhere.
class LogPane {
 public:
  virtual ~LogPane() = default;

  virtual int TextLength() = 0;
  /// Number of lines as the pane counts them (at least 1).
  virtual int LineCount() = 0;
  /// Character index of the first character of line n (0-based).
  virtual int LineStart(int line) = 0;
  virtual void Select(int start, int end) = 0;
  virtual void ReplaceSelection(const std::string& text) = 0;
  virtual void ScrollBy(int lines) = 0;
  virtual void SetText(const std::string& text) = 0;

  /// Runs `unit` so that no other thread's pane operations fall inside it: one log entry
  /// (trim, append, scroll) is one unit. Real panes run it on the window thread.
  virtual void RunAsUnit(const std::function<void()>& unit) { unit(); }

  void AppendText(const std::string& text) {
    const int end = TextLength();
    Select(end, end);
    ReplaceSelection(text);
  }
  void ScrollToEnd() { ScrollBy(LineCount()); }
};

}  // namespace qs
