// What a backup backs up, and how its pass goes about it. What a run found is a type of its
// own (log/run_results.h), so that a run's results never pass for its inputs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engine/exclusions.h"
#include "log/run_results.h"

namespace qs {

/// How a run's file pass goes about its work; nothing here changes what is backed up.
struct BackupTuning {
  /// Threads that probe and copy files ahead of the log; 0 picks one per core (at least 2),
  /// 1 does everything on the run's own thread.
  int fileThreads = 0;
  /// Copies flushed together, with one flush per volume where the system has one.
  int flushBatch = 1024;
  /// Runs first on each file thread the run starts: a background run lowers their priority
  /// there, as not every system passes a thread's priority on to the threads it starts.
  std::function<void()> onFileThreadStart;
};

/// What a backup backs up, and how: the request of a run (engine/backup_run.h).
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
  BackupTuning tuning;

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
