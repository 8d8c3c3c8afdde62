// An in-memory log pane with the counting rules of a multi-line text control.
#pragma once

#include <mutex>
#include <string>

#include "log/log_pane.h"
#include "ui/pane_text.h"

namespace qs {

/// Lines are separated by CR LF; an empty pane has 1 line; no wrapping. Safe to use from
/// several threads: every operation, and every unit, holds the pane's lock.
class MemoryLogPane : public LogPane {
 public:
  int TextLength() override;
  int LineCount() override;
  int LineStart(int line) override;
  void Select(int start, int end) override;
  void ReplaceSelection(const std::string& text) override;
  void ScrollBy(int lines) override;
  void SetText(const std::string& text) override;
  void RunAsUnit(const std::function<void()>& unit) override;

  std::string Text();
  /// The first line shown, after the scrolls so far.
  int FirstVisibleLine();

 private:
  std::recursive_mutex mutex_;
  PaneText text_;
};

}  // namespace qs
