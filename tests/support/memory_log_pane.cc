// The pane model for tests: the shared pane text under a lock.
#include "tests/support/memory_log_pane.h"

namespace qs {

int MemoryLogPane::TextLength() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return text_.TextLength();
}

int MemoryLogPane::LineCount() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return text_.LineCount();
}

int MemoryLogPane::LineStart(int line) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return text_.LineStart(line);
}

void MemoryLogPane::Select(int start, int end) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  text_.Select(start, end);
}

void MemoryLogPane::ReplaceSelection(const std::string& text) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  text_.ReplaceSelection(text);
}

void MemoryLogPane::ScrollBy(int lines) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  text_.ScrollBy(lines);
}

void MemoryLogPane::SetText(const std::string& text) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  text_.SetText(text);
}

void MemoryLogPane::RunAsUnit(const std::function<void()>& unit) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  unit();
}

std::string MemoryLogPane::Text() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return text_.Text();
}

int MemoryLogPane::FirstVisibleLine() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return text_.FirstVisibleLine();
}

}  // namespace qs
