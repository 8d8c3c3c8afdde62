// Line counting follows the edit control: the empty line after a final CR LF counts.
#include "ui/pane_text.h"

#include <algorithm>

namespace qs {

namespace {

// CR LF pairs that lie wholly in text[begin, end).
int CountLineEnds(const std::string& text, size_t begin, size_t end) {
  int count = 0;
  for (size_t at = text.find("\r\n", begin); at != std::string::npos && at + 2 <= end;
       at = text.find("\r\n", at + 2))
    ++count;
  return count;
}

}  // namespace

int PaneText::LineStart(int line) const {
  if (line < 0) return -1;
  size_t at = 0;
  for (int n = 0; n < line; ++n) {
    at = text_.find("\r\n", at);
    if (at == std::string::npos) return -1;
    at += 2;
  }
  return static_cast<int>(at);
}

void PaneText::ClampSelection() {
  const int length = TextLength();
  selection_start_ = std::clamp(selection_start_, 0, length);
  selection_end_ = std::clamp(selection_end_, selection_start_, length);
}

void PaneText::Select(int start, int end) {
  selection_start_ = std::min(start, end);
  selection_end_ = std::max(start, end);
  ClampSelection();
}

void PaneText::ReplaceSelection(const std::string& text) {
  ClampSelection();
  // Only pairs within one character of the replaced span can appear or vanish.
  const size_t start = static_cast<size_t>(selection_start_);
  const size_t end = static_cast<size_t>(selection_end_);
  const size_t before = start > 0 ? start - 1 : 0;
  line_count_ -= CountLineEnds(text_, before, std::min(end + 1, text_.size()));
  text_.replace(start, end - start, text);
  line_count_ += CountLineEnds(text_, before, std::min(start + text.size() + 1, text_.size()));
  selection_start_ += static_cast<int>(text.size());
  selection_end_ = selection_start_;
}

void PaneText::ScrollBy(int lines) {
  first_visible_line_ = std::clamp(first_visible_line_ + lines, 0, LineCount() - 1);
}

void PaneText::SetText(const std::string& text) {
  text_ = text;
  line_count_ = 1 + CountLineEnds(text_, 0, text_.size());
  selection_start_ = selection_end_ = 0;
  first_visible_line_ = 0;
}

std::string WithoutCarriageReturns(const std::string& text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    result += text[i];
  }
  return result;
}

int PositionWithoutCarriageReturns(const std::string& text, int pos) {
  const size_t end = std::min(static_cast<size_t>(std::max(pos, 0)), text.size());
  int dropped = 0;
  for (size_t i = 0; i < end; ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++dropped;
  }
  return static_cast<int>(end) - dropped;
}

}  // namespace qs
