// The pane model used by tests and by the headless paths: a plain string with a selection.
#include "log/memory_log_pane.h"

#include <algorithm>

namespace qs {

int MemoryLogPane::CountLines() const {
  int lines = 1;
  for (size_t at = text_.find("\r\n"); at != std::string::npos; at = text_.find("\r\n", at + 2))
    ++lines;
  return lines;
}

void MemoryLogPane::ClampSelection() {
  const int length = static_cast<int>(text_.size());
  selection_start_ = std::clamp(selection_start_, 0, length);
  selection_end_ = std::clamp(selection_end_, selection_start_, length);
}

int MemoryLogPane::TextLength() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return static_cast<int>(text_.size());
}

int MemoryLogPane::LineCount() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return CountLines();
}

int MemoryLogPane::LineStart(int line) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (line < 0) return -1;
  size_t at = 0;
  for (int n = 0; n < line; ++n) {
    at = text_.find("\r\n", at);
    if (at == std::string::npos) return -1;
    at += 2;
  }
  return static_cast<int>(at);
}

void MemoryLogPane::Select(int start, int end) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  selection_start_ = std::min(start, end);
  selection_end_ = std::max(start, end);
  ClampSelection();
}

void MemoryLogPane::ReplaceSelection(const std::string& text) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  ClampSelection();
  text_.replace(static_cast<size_t>(selection_start_),
                static_cast<size_t>(selection_end_ - selection_start_), text);
  selection_start_ += static_cast<int>(text.size());
  selection_end_ = selection_start_;
}

void MemoryLogPane::ScrollBy(int lines) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  first_visible_line_ = std::clamp(first_visible_line_ + lines, 0, CountLines() - 1);
}

void MemoryLogPane::SetText(const std::string& text) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  text_ = text;
  selection_start_ = selection_end_ = 0;
  first_visible_line_ = 0;
}

void MemoryLogPane::RunAsUnit(const std::function<void()>& unit) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  unit();
}

std::string MemoryLogPane::Text() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return text_;
}

int MemoryLogPane::FirstVisibleLine() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return first_visible_line_;
}

}  // namespace qs
