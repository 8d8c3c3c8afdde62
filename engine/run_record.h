// What a backup run adds to its target's record: the listing as of the run, built from each
// file's outcome as it is reported, and the run's fact, appended before the run's last line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/record_store.h"
#include "platform/file_system.h"

namespace qs {

class BackupJob;

class RunRecord {
 public:
  /// Opens the record of the job's target and writes the notice about it, if any, once. A dry
  /// run opens none and keeps none.
  explicit RunRecord(BackupJob& job);

  bool active() const { return store_.has_value(); }
  /// The entry the last run recorded for a file (its native path below the source root), or
  /// null. Safe on any thread: the recorded listing does not change during the run.
  const RecordedFile* Recorded(const std::string& native_relative) const;

  // The outcome of each file, on the run's thread. Paths are native, below the source root.
  /// Skipped: its copy, of this size and time, stays. The recorded hash is carried over when
  /// the record describes that very copy.
  void Skipped(const std::string& native_relative, uint64_t size, FileTime last_write);
  /// Copied or updated; `version_saved` when the copy it replaced went into the version folder.
  void Copied(const std::string& native_relative, const CopiedContent& content, bool version_saved);
  /// Not copied: its earlier entry, if any, stays (its old copy is still there).
  void Failed(const std::string& native_relative);

  /// Appends the run's fact, durably; one line in the backup log when it cannot be kept.
  void Finish();

 private:
  RunFact Fact();
  /// The listing as of the run: every file reported, and, when a source folder could not be
  /// listed, the recorded files this run did not see (their copies are still there).
  void CloseListing();
  ListingChanges ChangesToWrite(bool whole) const;

  BackupJob& job_;
  std::optional<RecordStore> store_;
  int64_t start_ticks_ = 0;
  Listing before_;
  Listing after_;
  std::vector<std::string> versioned_;  ///< record paths whose old copy was saved
  std::vector<std::string> failed_;     ///< record paths, the first kFailedPathsKept
};

/// The line for a record whose fact could not be appended (the copies are good regardless).
std::string RecordNotKeptText(const std::string& journal_path, uint32_t code);

}  // namespace qs
