// A main window held in memory: controls keep their text, state and check, record what the
// program set, and can be typed into and clicked as a user would.
#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <optional>
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
  void SetAlert(bool alert) override;
  bool Alert();
  void SetItems(const std::vector<std::string>& items) override;
  int SelectedItem() override;
  void SelectItem(int index) override;
  void SetTreePaths(const std::vector<std::string>& paths, char separator) override;
  std::vector<std::string> TickedPaths() override;

  /// A list's lines, and a tree's paths as set.
  std::vector<std::string> Items();
  /// What a tick in a tree does: `path` must be one of those set, or a folder of them.
  void Tick(const std::string& path);

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
  bool alert_ = false;
  std::vector<std::string> items_;
  int selected_ = -1;
  char separator_ = '/';
  std::vector<std::string> ticked_;
};

/// A dialog's controls in creation order, and whether it is shown.
class MemoryDialog : public DialogWindow {
 public:
  MemoryDialog(const std::string& caption, int width, int height, WindowEvents& events)
      : caption(caption), width(width), height(height), events(events) {}
  Control* CreateControl(const ControlLayout& layout, const std::string& text) override;
  void Show() override { shown = true; }
  void Hide() override { shown = false; }
  bool Shown() override { return shown; }

  /// The control whose row has this id, or whose text is `text`; the test fails without one.
  MemoryControl& WithId(int id);
  MemoryControl& WithText(const std::string& text);
  /// A click on the control with this id, as the user makes it (a check box toggles first).
  void Click(int id);

  const std::string caption;
  const int width, height;
  WindowEvents& events;
  std::vector<std::unique_ptr<MemoryControl>> controls;
  bool shown = false;
};

class MemoryWindow : public MainWindow {
 public:
  Control* CreateControl(const ControlLayout& layout, const std::string& text) override;
  void Show() override { shown = true; }
  int RunMessageLoop() override { return 0; }
  void Destroy() override { destroyed = true; }
  void RunOnWindowThread(const std::function<void()>& work) override { work(); }
  void SetMenu(std::span<const MenuItem> items) override;
  std::optional<std::string> ChooseFolder(const std::string& title,
                                          const std::string& start) override;
  std::optional<std::string> ChooseFile(const std::string& title,
                                        const std::string& start) override;
  std::unique_ptr<DialogWindow> CreateDialog(const std::string& caption, int width, int height,
                                             WindowEvents& events) override;

  /// The controls in creation order.
  std::vector<std::unique_ptr<MemoryControl>> controls;
  /// The menu as set, and whether it came before the first control.
  std::vector<MenuItem> menu;
  bool menuBeforeControls = false;
  /// What the next folder and file choosers answer, in turn (nullopt: cancelled), and the
  /// titles and starting places they were opened with.
  std::deque<std::optional<std::string>> chooserAnswers;
  std::vector<std::string> chooserTitles, chooserStarts;
  /// Every dialog made, still owned by the program: the last is the newest.
  std::vector<MemoryDialog*> dialogs;
  /// Makes CreateDialog fail, as a system out of window handles would.
  bool refuseDialogs = false;
  bool shown = false;
  bool destroyed = false;
};

}  // namespace qs::test
