// What a backup run adds to its target's record: the listing as of the run, built from each
// file's outcome as it is reported, and the run's fact, appended before the run's last line.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "engine/record_store.h"
#include "os/file_system.h"

namespace qs {

class BackupJob;

class RunRecord {
 public:
  /// Starts reading the record of the job's target, on a thread of its own: the scan of the
  /// source goes on meanwhile. A dry run opens none and keeps none.
  explicit RunRecord(BackupJob& job);
  ~RunRecord();
  RunRecord(const RunRecord&) = delete;
  RunRecord& operator=(const RunRecord&) = delete;

  /// Waits until the record is read, and reports the notice about it, if any, once. Called
  /// before the run's first line after its start, and before the first file is decided.
  void Ready();

  bool active() const { return store_.has_value(); }
  /// The entry the last run recorded for a file (its native path below the source root), or
  /// null. `near`, an entry found before (or null), is where the search starts: the files of
  /// one folder lie close together in the listing. Safe on any thread once Ready(): the
  /// recorded listing does not change during the run.
  const RecordedFile* Recorded(std::string_view native_relative,
                               const RecordedFile* near = nullptr) const;
  /// For a file the last run did not list (deleted or renamed away since, and back now): the
  /// entry the record last had for the copy it left in the target, or null. Safe on any
  /// thread; the first call reads the whole record.
  const RecordedFile* RecordedEarlier(std::string_view native_relative) const;

  // The outcome of each file. Paths are native, below the source root. Skipped is safe on
  // any thread, each file once; the other two are told on the run's thread.
  /// Skipped: its copy, of this size and time, stays, and its source has `source_time`. The
  /// recorded entry is carried over (hash included) when it describes the copy, or when the
  /// copy was changed in the target; a copy of the source never recorded gets no hash.
  /// `recorded` is its entry as Recorded() found it (null: none).
  void Skipped(std::string_view native_relative, const RecordedFile* recorded, uint64_t size,
               FileTime last_write, FileTime source_time);
  /// Copied or updated; `version_saved` when the copy it replaced went into the version folder.
  void Copied(std::string_view native_relative, const CopiedContent& content, bool version_saved);
  /// Not copied: its earlier entry, if any, stays (its old copy is still there).
  void Failed(std::string_view native_relative);

  /// Appends the run's fact, durably; reports kRecordNotKept when it cannot be kept.
  void Finish();

 private:
  /// Opens the record and the listing of its last run (on the reading thread).
  void Read();
  const RecordedFile* Entry(const std::string& record_path) const;
  RunFact Fact();
  /// The recorded entry stays as it is.
  void Keep(const RecordedFile* recorded);
  /// `file` is the entry now; `recorded` is the one it replaces, if any.
  void Put(RecordedFile file, const RecordedFile* recorded);
  /// The changes from the recorded listing to the listing as of the run: every file reported,
  /// and, when a source folder could not be listed, the recorded files this run did not see
  /// (their copies are still there).
  ListingChanges Changes();

  BackupJob& job_;
  std::optional<RecordStore> store_;
  int64_t start_ticks_ = 0;
  std::thread reading_;
  mutable std::once_flag earlier_read_;
  mutable Listing earlier_;  ///< the record's copies in the tree that before_ no longer lists
  bool noticed_ = false;
  Listing before_;
  // An unchanged rerun reports every file as it was: it only marks what it saw, so that the
  // listing is neither copied nor compared whole.
  std::vector<uint8_t> seen_;           ///< for each entry of before_: the run reported its file
  std::mutex changing_;                 ///< guards changed_ and added_
  Listing changed_;                     ///< entries this run changes or adds
  size_t added_ = 0;                    ///< entries of changed_ for paths the record did not hold
  std::vector<std::string> versioned_;  ///< record paths whose old copy was saved
  std::vector<std::string> failed_;     ///< record paths, the first kFailedPathsKept
};

}  // namespace qs
