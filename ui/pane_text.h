// The text of a log pane as a multi-line edit control keeps it: CR LF lines, a selection and
// the first line shown. Plain text and no locking: each pane realisation wraps one.
#pragma once

#include <string>

namespace qs {

class PaneText {
 public:
  int TextLength() const { return static_cast<int>(text_.size()); }
  /// Lines separated by CR LF; an empty text has 1 line; no wrapping.
  int LineCount() const { return line_count_; }
  /// Character index of the first character of line n (0-based); -1 past the last line.
  int LineStart(int line) const;
  /// Positions are clamped to the text; start and end may come in either order.
  void Select(int start, int end);
  /// Replaces the selection and leaves the caret after the new text.
  void ReplaceSelection(const std::string& text);
  /// Moves the first line shown by `lines`, as far as the text allows.
  void ScrollBy(int lines);
  /// Replaces the whole text; selection and view go back to the start.
  void SetText(const std::string& text);

  const std::string& Text() const { return text_; }
  int SelectionStart() const { return selection_start_; }
  int SelectionEnd() const { return selection_end_; }
  int FirstVisibleLine() const { return first_visible_line_; }

 private:
  void ClampSelection();

  std::string text_;
  int line_count_ = 1;  ///< kept with every change: log writers ask for it at every entry
  int selection_start_ = 0;
  int selection_end_ = 0;
  int first_visible_line_ = 0;
};

/// For text buffers that end lines with LF alone: the text with every CR before an LF left out.
std::string WithoutCarriageReturns(const std::string& text);

/// Where position `pos` of `text` falls once every CR before an LF is left out.
int PositionWithoutCarriageReturns(const std::string& text, int pos);

}  // namespace qs
