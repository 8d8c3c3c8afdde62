// A main window held in memory: controls keep their text, state and check, record what the
// program set, and can be typed into and clicked as a user would.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/window_controls.h"
#include "tests/support/memory_log_pane.h"

namespace qs::test {

/// Safe to use from several threads. A multi-line edit control holds a MemoryLogPane.
class MemoryControl : public Control {
 public:
  MemoryControl(const ControlLayout& layout, const std::string& text);

  std::string GetText(int max_count) override;
  void SetText(const std::string& text) override;
  void Enable(bool enabled) override;
  bool IsChecked() override;
  void SetChecked(bool checked) override;
  LogPane* AsLogPane() override;

  /// What the user types into a field: replaces the text, recorded as no program write.
  void Type(const std::string& text);
  /// What a click does to a check box before its command is sent.
  void Toggle();
  bool Enabled();
  /// Every Enable call, in order.
  std::vector<bool> EnableCalls();
  /// Every text the program set, in order.
  std::vector<std::string> TextsSet();

  const ControlLayout layout;
  MemoryLogPane pane;

 private:
  std::mutex mutex_;
  std::string text_;
  bool enabled_ = true;
  bool checked_ = false;
  std::vector<bool> enable_calls_;
  std::vector<std::string> texts_set_;
};

class MemoryWindow : public MainWindow {
 public:
  Control* CreateControl(const ControlLayout& layout, const std::string& text) override;
  void Show() override { shown = true; }
  int RunMessageLoop() override { return 0; }
  void Destroy() override { destroyed = true; }
  void RunOnWindowThread(const std::function<void()>& work) override { work(); }

  /// The controls in creation order.
  std::vector<std::unique_ptr<MemoryControl>> controls;
  bool shown = false;
  bool destroyed = false;
};

}  // namespace qs::test
