// The two composite pane operations, shared by every realisation.
#include "log/log_pane.h"

namespace qs {

void LogPane::AppendText(const std::string& text) {
  const int end = TextLength();
  Select(end, end);
  ReplaceSelection(text);
}

void LogPane::ScrollToEnd() { ScrollBy(LineCount()); }

}  // namespace qs
