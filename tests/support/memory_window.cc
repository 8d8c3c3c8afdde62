// Every control operation takes the control's lock: the scheduler and the manual worker write
// labels and the button from their own threads.
#include "tests/support/memory_window.h"

#include <gtest/gtest.h>

#include <algorithm>

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

void MemoryControl::SetAlert(bool alert) {
  std::lock_guard<std::mutex> lock(mutex_);
  alert_ = alert;
}

bool MemoryControl::Alert() {
  std::lock_guard<std::mutex> lock(mutex_);
  return alert_ || (layout.style & kStyleAlert) != 0;
}

void MemoryControl::SetItems(const std::vector<std::string>& items) {
  std::lock_guard<std::mutex> lock(mutex_);
  items_ = items;
  selected_ = -1;
}

int MemoryControl::SelectedItem() {
  std::lock_guard<std::mutex> lock(mutex_);
  return selected_;
}

void MemoryControl::SelectItem(int index) {
  std::lock_guard<std::mutex> lock(mutex_);
  selected_ = index >= 0 && static_cast<size_t>(index) < items_.size() ? index : -1;
}

void MemoryControl::SetTreePaths(const std::vector<std::string>& paths, char separator) {
  std::lock_guard<std::mutex> lock(mutex_);
  items_ = paths;
  separator_ = separator;
  ticked_.clear();
}

std::vector<std::string> MemoryControl::TickedPaths() {
  std::lock_guard<std::mutex> lock(mutex_);
  return ticked_;
}

std::vector<std::string> MemoryControl::Items() {
  std::lock_guard<std::mutex> lock(mutex_);
  return items_;
}

void MemoryControl::Tick(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::string below = path + separator_;
  const bool known = std::any_of(items_.begin(), items_.end(), [&](const std::string& item) {
    return item == path || item.compare(0, below.size(), below) == 0;
  });
  EXPECT_TRUE(known) << path << " is not in the tree";
  // As a tree shows it: a folder ticked stands for what is below it.
  std::erase_if(ticked_,
                [&](const std::string& item) { return item.compare(0, below.size(), below) == 0; });
  ticked_.push_back(path);
  std::stable_sort(ticked_.begin(), ticked_.end());
}

Control* MemoryDialog::CreateControl(const ControlLayout& layout, const std::string& text) {
  controls.push_back(std::make_unique<MemoryControl>(layout, text));
  return controls.back().get();
}

MemoryControl& MemoryDialog::WithId(int id) {
  for (auto& control : controls)
    if (control->layout.id == id) return *control;
  ADD_FAILURE() << "no control with id " << id << " in " << caption;
  return *controls.front();
}

MemoryControl& MemoryDialog::WithText(const std::string& text) {
  for (auto& control : controls)
    if (control->layout.text == text) return *control;
  ADD_FAILURE() << "no control \"" << text << "\" in " << caption;
  return *controls.front();
}

void MemoryDialog::Click(int id) {
  MemoryControl& control = WithId(id);
  if (control.layout.style & kStyleAutoCheckBox) control.Toggle();
  events.OnCommand(id);
}

void MemoryWindow::SetMenu(std::span<const MenuItem> items) {
  menu.assign(items.begin(), items.end());
  menuBeforeControls = controls.empty();
}

std::optional<std::string> MemoryWindow::ChooseFolder(const std::string& title,
                                                      const std::string& start) {
  chooserTitles.push_back(title);
  chooserStarts.push_back(start);
  if (chooserAnswers.empty()) return std::nullopt;
  std::optional<std::string> answer = chooserAnswers.front();
  chooserAnswers.pop_front();
  return answer;
}

std::optional<std::string> MemoryWindow::ChooseFile(const std::string& title,
                                                    const std::string& start) {
  return ChooseFolder(title, start);
}

std::unique_ptr<DialogWindow> MemoryWindow::CreateDialog(const std::string& caption, int width,
                                                         int height, WindowEvents& events) {
  if (refuseDialogs) return nullptr;
  auto dialog = std::make_unique<MemoryDialog>(caption, width, height, events);
  dialogs.push_back(dialog.get());
  return dialog;
}

Control* MemoryWindow::CreateControl(const ControlLayout& layout, const std::string& text) {
  controls.push_back(std::make_unique<MemoryControl>(layout, text));
  return controls.back().get();
}

}  // namespace qs::test
