// The two logs of a job, as observers of its run: each turns events into its own lines.
#pragma once

#include <string>
#include <utility>

#include "log/file_operation.h"
#include "log/log_pane.h"
#include "log/log_services.h"
#include "log/run_events.h"

namespace qs {

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
  void WriteStart(const RunSummary& run);
  void WriteEnd(const RunSummary& run) const;
  void WriteWithCode(const std::string& text, const RunEvent& event) const;

  LogPane* pane_;
  const LogServices services_;
  std::string source_root_;  ///< of the run under way: file lines show paths below it
};

/// The file operations log: one untimed line per file action, reset at every run.
class FileLogObserver : public RunObserver {
 public:
  explicit FileLogObserver(LogPane* pane, std::string source_root = "")
      : pane_(pane), source_root_(std::move(source_root)) {}
  void OnRunEvent(const RunEvent& event) override;
  /// The file log's half of a file-operation entry.
  void WriteFileOperation(FileOperation category, const std::string& path,
                          const std::string& source_root) const;
  LogPane* pane() const { return pane_; }

 private:
  void WriteEnd(const BackupCounters& counters) const;

  LogPane* pane_;
  std::string source_root_;  ///< of the run under way
};

}  // namespace qs
