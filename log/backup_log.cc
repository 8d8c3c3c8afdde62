// Entries go to the pane as one unit (trim, append, scroll), so entries of overlapping
// runs never interleave inside a line.
#include "log/backup_log.h"

#include "log/log_time.h"

namespace qs {

namespace {

constexpr int kTrimThreshold = 200;
constexpr int kLinesKept = 100;
const char kTrimNotice[] = "=== Log cleaned (keeping latest 100 lines) ===\r\n";

void WriteToConsole(const std::string& line, const LogServices& services) {
  if (services.console == nullptr) return;
  const std::string with_newline = line + "\n";
  services.console->write(with_newline.data(), static_cast<std::streamsize>(with_newline.size()));
  if (services.flushEachLine) services.console->flush();
}

}  // namespace

std::string BackupLogLine(Clock& clock, const std::string& message) {
  return "[" + CurrentTimeText(clock) + "] " + message;
}

bool TrimPaneLines(LogPane& pane, int threshold, int keep, const std::string& notice) {
  const int lines = pane.LineCount();
  if (lines <= threshold) return false;
  pane.Select(0, pane.LineStart(lines - keep));
  pane.ReplaceSelection("");
  pane.AppendText(notice);
  return true;
}

void WriteBackupLogEntry(LogPane* pane, const std::string& message, const LogServices& services) {
  const std::string line = BackupLogLine(*services.clock, message);
  if (pane != nullptr) {
    pane->RunAsUnit([&] {
      TrimPaneLines(*pane, kTrimThreshold, kLinesKept, kTrimNotice);
      pane->AppendText(line + "\r\n");
      pane->ScrollToEnd();
    });
  } else {
    WriteToConsole(line, services);
  }
  if (services.status != nullptr) services.status->RefreshStatus();
}

void TrimBackupLog(LogPane* pane) {
  if (pane == nullptr) return;
  pane->RunAsUnit([&] {
    if (TrimPaneLines(*pane, kTrimThreshold, kLinesKept, kTrimNotice)) pane->ScrollToEnd();
  });
}

}  // namespace qs
