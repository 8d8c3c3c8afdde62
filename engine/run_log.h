// The two logs of a job, as observers of its run: each turns events into its own lines.
#pragma once

#include <string>

#include "engine/run_events.h"
#include "log/file_operation.h"
#include "log/log_pane.h"
#include "log/log_services.h"

namespace qs {

/// The backup log: timestamped entries in a pane, or on the console when there is none.
class BackupLogObserver : public RunObserver {
 public:
  BackupLogObserver(LogPane* pane, const LogServices& services)
      : pane_(pane), services_(services) {}
  void OnRunEvent(const RunEvent& event) override;
  void Write(const std::string& message) const;
  /// The backup log's half of a file-operation entry (failures, copies, saved versions).
  void WriteFileOperation(FileOperation category, const std::string& path,
                          const std::string& detail, const std::string& source_root) const;
  LogPane* pane() const { return pane_; }

 private:
  void WriteStart(const BackupJob& job) const;
  void WriteEnd(const BackupJob& job) const;
  void WriteWithCode(const std::string& text, const RunEvent& event) const;

  LogPane* pane_;
  const LogServices services_;
};

/// The file operations log: one untimed line per file action, reset at every run.
class FileLogObserver : public RunObserver {
 public:
  explicit FileLogObserver(LogPane* pane) : pane_(pane) {}
  void OnRunEvent(const RunEvent& event) override;
  /// The file log's half of a file-operation entry.
  void WriteFileOperation(FileOperation category, const std::string& path,
                          const std::string& source_root) const;
  LogPane* pane() const { return pane_; }

 private:
  LogPane* pane_;
};

}  // namespace qs
