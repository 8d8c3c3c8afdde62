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

void FileLogObserver::WriteFileOperation(FileOperation category, const std::string& path,
                                         const std::string& source_root) const {
  if (pane_ == nullptr) return;
  if (const auto line = FileLogLine(category, path, source_root)) AppendFileLogLine(pane_, *line);
}

void FileLogObserver::OnRunEvent(const RunEvent& event) {
  if (event.kind == RunEventKind::kStarted) source_root_ = event.summary->sourceRoot;
  const std::string& root = source_root_;
  switch (event.kind) {
    case RunEventKind::kStarted:
      if (pane_ != nullptr) ResetFileLog(pane_);
      return WriteFileOperation(FileOperation::kBackupStarted, "Session started", root);
    case RunEventKind::kScanned:
      return WriteFileOperation(FileOperation::kFileScan,
                                std::to_string(event.count) + " files found", root);
    case RunEventKind::kVersionSaved:
      return WriteFileOperation(FileOperation::kTimeVersion, std::string(event.path), root);
    case RunEventKind::kCopied:
      return WriteFileOperation(FileOperation::kCopied, std::string(event.path), root);
    case RunEventKind::kUpdated:
      return WriteFileOperation(FileOperation::kUpdated, std::string(event.path), root);
    case RunEventKind::kEnded:
      return WriteEnd(event.summary->results.counters);
    default:
      return;
  }
}

void FileLogObserver::WriteEnd(const BackupCounters& counters) const {
  WriteFileOperation(FileOperation::kBackupCompleted,
                     "Copied: " + std::to_string(counters.copied) +
                         " | Updated: " + std::to_string(counters.updated) +
                         " | Failed: " + std::to_string(counters.failed) +
                         " | Time-versioned: " + std::to_string(counters.timeVersioned),
                     source_root_);
}

}  // namespace qs
