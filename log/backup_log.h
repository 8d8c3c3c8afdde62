// The backup log: timestamped entries that keep the pane below 200 lines, and the observer
// that turns a run's events into them.
#pragma once

#include <string>
#include <utility>

#include "log/file_operation.h"
#include "log/log_pane.h"
#include "log/log_services.h"
#include "log/run_events.h"

namespace qs {

/// "[" + CurrentTimeText + "] " + message.
std::string BackupLogLine(Clock& clock, const std::string& message);

/// Appends one entry to `pane`, or writes it to the console when `pane` is null. The pane is
/// trimmed first when it holds more than 200 lines. The status area is no business of the log:
/// it is refreshed on the events it is told of.
void WriteBackupLogEntry(LogPane* pane, const std::string& message, const LogServices& services);

/// Cuts a pane of more than 200 lines to its latest 100 and adds the notice, then scrolls
/// to the end. Does nothing to a null pane or one of 200 lines or fewer.
void TrimBackupLog(LogPane* pane);

/// Cuts a pane of more than `threshold` lines to its last `keep` lines and appends `notice`.
/// Returns whether it cut; the caller decides about scrolling.
bool TrimPaneLines(LogPane& pane, int threshold, int keep, const std::string& notice);

/// The backup log: timestamped entries in a pane, or on the console when there is none.
class BackupLogObserver : public RunObserver {
 public:
  /// File lines show paths below `source_root` until a run's start says where its source is.
  BackupLogObserver(LogPane* pane, const LogServices& services, std::string source_root = "")
      : pane_(pane), services_(services), source_root_(std::move(source_root)) {}
  void OnRunEvent(const RunEvent& event) override;
  void Write(const std::string& message) const;
  /// The backup log's half of a file-operation entry (failures, copies, saved versions).
  void WriteFileOperation(FileOperation category, const std::string& path,
                          const std::string& detail, const std::string& source_root) const;
  LogPane* pane() const { return pane_; }

 private:
  /// The lines of the run as a whole.
  void WriteRunEvent(const RunEvent& event);
  /// The lines of one file; false when the event is not about one file.
  bool WriteFileEvent(const RunEvent& event) const;
  bool WriteFileFailure(const RunEvent& event) const;
  /// The automatic backup's lines; false when the event is not one of them.
  bool WriteSchedulerEvent(const RunEvent& event) const;
  void WriteStart(const RunSummary& run);
  void WriteEnd(const RunSummary& run) const;
  void WriteWithCode(const std::string& text, const RunEvent& event) const;

  LogPane* pane_;
  const LogServices services_;
  std::string source_root_;  ///< of the run under way: file lines show paths below it
};

}  // namespace qs
