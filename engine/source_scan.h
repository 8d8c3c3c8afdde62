// The scan of a job's source: every file below a directory, depth-first.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/file_list.h"
#include "os/file_system.h"

namespace qs {

class BackupJob;

/// Lists in the order the system gives entries, leaving out "oh_modules" directories, the
/// target root and what the job's exclusion patterns name (an excluded folder is not entered).
/// Links are followed; only a directory that is one of its own ancestors is refused. Folders that
/// cannot be listed and links that lead nowhere are reported through the job.
class SourceScan {
 public:
  /// `before_first_line`, when given, is called once before the scan's first line.
  explicit SourceScan(BackupJob& job, std::function<void()> before_first_line = {});
  /// Appends every file below `directory` (which ends with a separator) to `list`.
  void Scan(const std::string& directory, FileList& list);

 private:
  void ScanDirectory(const std::string& directory, FileList& list);
  void ScanEntry(const std::string& directory, const DirEntry& entry, FileList& list);
  void ReportUnlisted(const std::string& directory, const std::string& listed);
  void BeforeLine();
  /// Whether an exclusion pattern leaves the entry out.
  bool Excluded(const std::string& directory, const DirEntry& entry) const;
  /// The size as listed, or measured when sizes are wanted; else 0.
  uint64_t SizeOf(const std::string& path, const DirEntry& entry);

  BackupJob& job_;
  FileSystem& fs_;
  std::vector<DirectoryId> ancestors_;  ///< the directories of the current descent
  std::optional<DirectoryId> target_root_;
  bool source_folds_case_ = false;  ///< names compare as the source's volume compares them
  std::function<void()> before_first_line_;
};

}  // namespace qs
