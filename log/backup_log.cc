// Entries go to the pane as one unit (trim, append, scroll), so entries of overlapping
// runs never interleave inside a line.
#include "log/backup_log.h"

#include "log/log_time.h"
#include "log/operation_lines.h"
#include "os/error_text.h"

namespace qs {

namespace {

std::string Text(std::string_view view) { return std::string(view); }

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
}

void TrimBackupLog(LogPane* pane) {
  if (pane == nullptr) return;
  pane->RunAsUnit([&] {
    if (TrimPaneLines(*pane, kTrimThreshold, kLinesKept, kTrimNotice)) pane->ScrollToEnd();
  });
}

void BackupLogObserver::Write(const std::string& message) const {
  WriteBackupLogEntry(pane_, message, services_);
}

void BackupLogObserver::WriteFileOperation(FileOperation category, const std::string& path,
                                           const std::string& detail,
                                           const std::string& source_root) const {
  if (const auto message = BackupLogMessage(category, path, detail, source_root)) Write(*message);
}

void BackupLogObserver::WriteWithCode(const std::string& text, const RunEvent& event) const {
  Write(text + " " + ErrorCodeText(event.code));
}

void BackupLogObserver::WriteStart(const RunSummary& run) {
  source_root_ = run.sourceRoot;
  // First, so that the lines below ("Time version directory created: ...") are read as what
  // the run would do.
  if (run.dryRun) Write("Dry run: nothing will be written.");
  Write("Starting backup...");
  Write("Source: " + run.sourceRoot);
  Write("Target: " + run.targetRoot);
  Write(std::string("Time Versioning: ") + (run.timeVersioningOn ? "ENABLED" : "DISABLED"));
}

void BackupLogObserver::WriteEnd(const RunSummary& run) const {
  const BackupResults& results = run.results;
  Write(results.counters.SummaryText());
  if (run.timeVersioningOn) {
    if (results.counters.timeVersioned > 0)
      Write("=== Time version location: " + results.versionDir + " ===");
    else if (results.versionFolderMade)
      Write("=== Time version directory created but no files versioned ===");
  }
  Write("Backup operation completed.");
  if (run.dryRun) Write("Dry run: nothing was written.");
}

void BackupLogObserver::OnRunEvent(const RunEvent& event) {
  // Most events of an unchanged run: no line, so no copy of the path either.
  if (event.kind == RunEventKind::kSkipped || event.kind == RunEventKind::kCopying) return;
  if (!WriteFileEvent(event) && !WriteSchedulerEvent(event)) WriteRunEvent(event);
}

bool BackupLogObserver::WriteSchedulerEvent(const RunEvent& event) const {
  std::string message;
  switch (event.kind) {
    case RunEventKind::kAutoBackupStarted:
      message = "=== Auto backup started ===";
      break;
    case RunEventKind::kAutoBackupStopped:
      message = "=== Auto backup stopped ===";
      break;
    case RunEventKind::kNextBackupIn:
      message = "=== Next backup in " + std::to_string(event.minutes) + " minutes ===";
      break;
    case RunEventKind::kScheduledBackupStarted:
      message = "=== Scheduled backup started ===";
      break;
    case RunEventKind::kScheduledBackupCompleted:
      message = "=== Scheduled backup completed ===";
      break;
    case RunEventKind::kBackgroundPriorityNotSet:
      message = "Background priority not set: " + Text(event.other);
      break;
    default:
      return false;
  }
  Write(message);
  return true;
}

void BackupLogObserver::WriteRunEvent(const RunEvent& event) {
  const std::string path = Text(event.path);
  switch (event.kind) {
    case RunEventKind::kStarted:
      return WriteStart(*event.summary);
    case RunEventKind::kDirectoryUnlisted:
      return WriteWithCode("Cannot list directory: " + path, event);
    case RunEventKind::kDanglingLinkLeftOut:
      return Write("Dangling link left out: " + path);
    case RunEventKind::kJunctionLeftOut:
      return Write("System junction left out: " + path);
    case RunEventKind::kRecordFolderLeftOut:
      return Write("Left out, as the target keeps its record of the runs under that name: " + path);
    case RunEventKind::kRecordDamagedEnd:
    case RunEventKind::kRecordUnreadable:
    case RunEventKind::kRecordForeign:
      return OperationLinesOf(event, [this](const std::string& line) { Write(line); });
    case RunEventKind::kScanned:
      return Write("Found " + std::to_string(event.count) + " files.");
    case RunEventKind::kTimesNotKept:
      return Write("The target does not keep last-write times: every run copies every file again");
    case RunEventKind::kVersionFolderMade:
      return Write("Time version directory created: " + path);
    case RunEventKind::kVersionFolderFailed:
      return WriteWithCode("Failed to create time version directory: " + path, event);
    case RunEventKind::kRecordNotKept:
      return Write(RecordNotKeptText(path, event.code));
    case RunEventKind::kEnded:
      return WriteEnd(*event.summary);
    default:
      return;
  }
}

bool BackupLogObserver::WriteFileEvent(const RunEvent& event) const {
  const std::string& root = source_root_;
  const std::string path = Text(event.path);
  switch (event.kind) {
    case RunEventKind::kVersionSaved:
      WriteFileOperation(FileOperation::kTimeVersion, path, "", root);
      Write("Time version created: " + Text(event.relative));
      return true;
    case RunEventKind::kVersionNotSaved:
      WriteFileOperation(FileOperation::kTimeVersionFailed, path, "", root);
      return true;
    case RunEventKind::kCopied:
      WriteFileOperation(FileOperation::kCopied, path, "", root);
      return true;
    case RunEventKind::kUpdated:
      WriteFileOperation(FileOperation::kUpdated, path, "", root);
      if (event.versioned) Write("Old version saved to time directory: " + Text(event.relative));
      return true;
    default:
      return WriteFileFailure(event);
  }
}

bool BackupLogObserver::WriteFileFailure(const RunEvent& event) const {
  const std::string& root = source_root_;
  const std::string path = Text(event.path);
  switch (event.kind) {
    case RunEventKind::kDirectoryFailed:
      Write("Failed to create directory: " + path);
      WriteFileOperation(FileOperation::kDirectoryError, path, "", root);
      return true;
    case RunEventKind::kCopyFailed:
      WriteWithCode("CopyFile failed: " + path + " -> " + Text(event.other), event);
      WriteFileOperation(FileOperation::kCopyError, path, "", root);
      return true;
    case RunEventKind::kSourceChanged:
      Write("Changed while it was copied: " + path);
      return true;
    case RunEventKind::kNameCollision:
      Write("Name collides on the target: " + Text(event.other) + " and " + path);
      return true;
    case RunEventKind::kFailed:
      WriteFileOperation(FileOperation::kFailed, path, "", root);
      return true;
    case RunEventKind::kAttributesNotKept:
      WriteWithCode("Extended attributes not kept: " + path, event);
      return true;
    case RunEventKind::kFlushFailed:
      WriteWithCode("Failed to flush to disk: " + path, event);
      return true;
    default:
      return false;
  }
}

}  // namespace qs
