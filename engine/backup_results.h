// What a job backs up. What its last run found is a type of its own (log/run_results.h), so
// that a run's results never pass for its inputs.
#pragma once

#include <cstdint>
#include <string>

#include "engine/exclusions.h"
#include "log/run_results.h"

namespace qs {

/// What a job backs up, and how.
struct BackupOptions {
  std::string sourceRoot;  ///< empty, or ending with one separator
  std::string targetRoot;  ///< likewise
  /// Whether old copies are saved before an update. A run that cannot make its version folder
  /// updates nothing (new files are still copied); the next run tries again.
  bool timeVersioningOn = false;
  /// Paths below the source root that are left out, besides "oh_modules" folders.
  Exclusions exclusions;
  /// Decides and reports as a real run would, and writes nothing: the job's file system only
  /// pretends to write (DryRunFileSystem), and what the run must learn of the target it learns
  /// without writing.
  bool dryRun = false;
  /// Reads every file's size in the scan, for a display of progress in bytes.
  bool measureSizes = false;
  /// A target that does not keep last-write times is reported, but not counted as a failure:
  /// every run then copies (and versions) files that did not change.
  bool acceptUnkeptTimes = false;

  /// A plain backup of `source` to `target`: nothing left out, every write real, the roots as
  /// given. The front ends build theirs with BackupRequest (engine/backup_request.h).
  static BackupOptions Of(std::string source, std::string target, bool time_versioning) {
    BackupOptions options;
    options.sourceRoot = std::move(source);
    options.targetRoot = std::move(target);
    options.timeVersioningOn = time_versioning;
    return options;
  }
};

}  // namespace qs
