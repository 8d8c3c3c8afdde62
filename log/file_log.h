// The file operations log: one untimed line per file action, reset at every run, and the
// observer that turns a run's events into them.
#pragma once

#include <string>
#include <utility>

#include "log/file_operation.h"
#include "log/log_pane.h"
#include "log/run_events.h"

namespace qs {

extern const char kFileLogHeader[];

/// The path below `sourceRoot` when it begins with it (byte for byte), else the path unchanged.
std::string RelativePath(const std::string& sourceRoot, const std::string& path);

/// Appends one line (given without its line end); trims first above 300 lines. Null: nothing.
void AppendFileLogLine(LogPane* pane, const std::string& text);

/// Cuts a pane of more than 300 lines to its latest 150, adds the notice and scrolls to the end.
void TrimFileLog(LogPane* pane);

/// Empties the pane and writes the header line.
void ResetFileLog(LogPane* pane);

/// The file operations log: one untimed line per file action, reset at every run, and the
// observer that turns a run's events into them.
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
