// Each append, trim and reset is one pane unit, so overlapping runs keep whole lines.
#include "log/file_log.h"

#include "log/backup_log.h"
#include "os/file_system.h"

namespace qs {

const char kFileLogHeader[] = "=== File Operation Log ===";

namespace {

constexpr int kTrimThreshold = 300;
constexpr int kLinesKept = 150;
const char kTrimNotice[] = "=== File log cleaned (keeping latest 150 lines) ===\r\n";

void TrimAndScroll(LogPane& pane) {
  if (TrimPaneLines(pane, kTrimThreshold, kLinesKept, kTrimNotice)) pane.ScrollToEnd();
}

void AppendLine(LogPane& pane, const std::string& text) {
  TrimAndScroll(pane);
  pane.AppendText(text + "\r\n");
  pane.ScrollToEnd();
}

}  // namespace

std::string RelativePath(const std::string& sourceRoot, const std::string& path) {
  std::string base = sourceRoot;
  if (base.empty()) return path;
  if (base.back() != kPathSeparator) base += kPathSeparator;
  if (path.size() >= base.size() && path.compare(0, base.size(), base) == 0)
    return path.substr(base.size());
  return path;
}

void AppendFileLogLine(LogPane* pane, const std::string& text) {
  if (pane == nullptr) return;
  pane->RunAsUnit([&] { AppendLine(*pane, text); });
}

void TrimFileLog(LogPane* pane) {
  if (pane == nullptr) return;
  pane->RunAsUnit([&] { TrimAndScroll(*pane); });
}

void ResetFileLog(LogPane* pane) {
  if (pane == nullptr) return;
  pane->RunAsUnit([&] {
    pane->SetText("");
    AppendLine(*pane, kFileLogHeader);
  });
}

}  // namespace qs
