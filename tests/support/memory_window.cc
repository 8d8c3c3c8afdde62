// Every control operation takes the control's lock: the scheduler and the manual worker write
// labels and the button from their own threads.
#include "tests/support/memory_window.h"

namespace qs::test {

MemoryControl::MemoryControl(const ControlLayout& control_spec, const std::string& text)
    : layout(control_spec), text_(text) {}

std::string MemoryControl::GetText(int max_count) {
  if (AsLogPane() != nullptr) return pane.Text().substr(0, static_cast<size_t>(max_count - 1));
  std::lock_guard<std::mutex> lock(mutex_);
  if (max_count <= 0) return "";
  return text_.substr(0, static_cast<size_t>(max_count - 1));
}

void MemoryControl::SetText(const std::string& text) {
  if (AsLogPane() != nullptr) return pane.SetText(text);
  std::lock_guard<std::mutex> lock(mutex_);
  text_ = text;
  texts_set_.push_back(text);
}

void MemoryControl::Enable(bool enabled) {
  std::lock_guard<std::mutex> lock(mutex_);
  enabled_ = enabled;
  enable_calls_.push_back(enabled);
}

bool MemoryControl::IsChecked() {
  std::lock_guard<std::mutex> lock(mutex_);
  return checked_;
}

void MemoryControl::SetChecked(bool checked) {
  std::lock_guard<std::mutex> lock(mutex_);
  checked_ = checked;
}

LogPane* MemoryControl::AsLogPane() {
  return (layout.style & kStyleMultiline) != 0 ? &pane : nullptr;
}

void MemoryControl::Type(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  text_ = text;
}

void MemoryControl::Toggle() {
  std::lock_guard<std::mutex> lock(mutex_);
  checked_ = !checked_;
}

bool MemoryControl::Enabled() {
  std::lock_guard<std::mutex> lock(mutex_);
  return enabled_;
}

std::vector<bool> MemoryControl::EnableCalls() {
  std::lock_guard<std::mutex> lock(mutex_);
  return enable_calls_;
}

std::vector<std::string> MemoryControl::TextsSet() {
  std::lock_guard<std::mutex> lock(mutex_);
  return texts_set_;
}

Control* MemoryWindow::CreateControl(const ControlLayout& layout, const std::string& text) {
  controls.push_back(std::make_unique<MemoryControl>(layout, text));
  return controls.back().get();
}

}  // namespace qs::test
