// The file pass of a run: one decision per listed file, reported in list order.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/backup_job.h"
#include "engine/durable_names.h"
#include "engine/file_copy.h"
#include "engine/name_collisions.h"
#include "engine/run_record.h"
#include "engine/target_volume.h"
#include "engine/time_versioning.h"

namespace qs {

/// File threads decide each file and copy it (and, for an update with time versioning, the
/// old copy) into temporary files ahead of the log. The run's own thread takes the files in
/// batches: it flushes the batch's copies, puts them in place, makes their names durable, and
/// only then writes the batch's lines and counters in list order, exactly as one thread
/// would. So no name in the target points at data that is not on the disk, and no copy is
/// reported before it would survive a crash.
class FilePass {
 public:
  /// `record`, when given, is told each file's outcome as it is reported.
  FilePass(BackupJob& job, const FileList& list, RunRecord* record = nullptr);
  ~FilePass();
  FilePass(const FilePass&) = delete;
  FilePass& operator=(const FilePass&) = delete;

  void Run();

 private:
  enum class Decision : uint8_t { kSkip, kNew, kUpdate, kNotAFile, kCollision };
  struct Outcome {
    std::atomic<uint8_t> ready{0};
    Decision decision = Decision::kSkip;
    bool saveVersion = false;  ///< an old version was to be kept: `version` says how it went
    uint8_t pending = 0;       ///< copies counted in pending_ until the outcome is released
    PreparedCopy version;      ///< the old target copy, into the version folder
    PreparedCopy copy;
    /// The record's entry for a file skipped (null: not recorded), where the next file's
    /// search starts.
    const RecordedFile* recorded = nullptr;
  };

  // The file threads (file_pass.cc).
  /// How many threads handle files, the run's own included: one per core, or many for a
  /// target slow to answer.
  int ThreadCount(bool slow_target) const;
  bool TargetIsSlow() const;
  void Work();
  /// Decides the next chunk of files; false when none is left. A worker (not the run's
  /// thread) first waits while too many copies are pending far ahead of the log.
  bool TakeChunk(KnownDirectory* known_directory, bool is_worker);
  /// Claims the next files to decide, [*begin, *end); false when none is left.
  bool ClaimChunk(size_t* begin, size_t* end);
  /// Where the run of files sharing the directory of `begin` ends, at most `limit` files on.
  size_t DirectoryRunEnd(size_t begin, size_t limit) const;
  bool IsReady(size_t index) const;
  /// Returns once the outcome is ready, deciding chunks meanwhile while any are left.
  void EnsureReady(size_t index, KnownDirectory* known_directory);
  /// Wakes workers waiting for room, if any.
  void MakeRoom();

  // One file's decision and copies, on any file thread (file_pass_decide.cc).
  void Decide(size_t index, KnownDirectory* known_directory);
  Decision DecideOn(size_t index, const std::string& target_path);
  Decision DecideByTimes(FileTime source, const PathInfo& target, const std::string& target_path);
  /// The record's account of a source replaced by another file, older than the copy: the
  /// copy is still the one the record holds, and the source is not what that copy was made of.
  /// `entry` is the record's, or null.
  bool ReplacedSinceRecorded(size_t index, const RecordedFile* entry, FileTime source,
                             const PathInfo& target, const std::string& target_path);
  void PrepareCopies(Outcome& outcome, size_t index, const std::string& target_path,
                     KnownDirectory* known_directory);
  /// Copies the old target copy into the version folder; false when that failed.
  bool PrepareVersion(Outcome& outcome, size_t index, const std::string& target_path);
  /// Flushes a copy at once when its volume cannot be flushed as a whole.
  void FlushAlone(PreparedCopy& prepared);
  /// Puts the old version, then the copy, in place: only those flushed on their own when
  /// `ahead`. Never a copy whose old version could not be kept.
  void PublishCopies(Outcome& outcome, size_t index, bool ahead);
  // The old copies' names before their updates (file_pass_versions.cc).
  /// Flushes the folders of an old copy put in place ahead, up to the target root, before its
  /// update may replace it; false, the update failed, when that flush failed.
  bool MakeVersionNameDurable(size_t index, Outcome& outcome);
  /// Puts the batch's old copies in place and makes their names durable before any update
  /// replaces one; the updates whose old copy may not last fail.
  void PublishVersionsOfBatch(size_t begin, size_t end);
  const NameCollision* CollisionAt(size_t index) const;
  size_t RelativeStart(size_t index) const;
  std::string_view RelativePart(size_t index) const;
  /// The file's path below the target root, below the version folder, and its name there.
  std::string TargetPath(size_t index) const;
  std::string VersionPath(size_t index);
  /// Learns whether the target's volume keeps the last-write times set on copies, once a
  /// run: before its first copy, or at a target copy newer than its source. An unchanged run
  /// on a volume that keeps times writes nothing.
  void LearnTimeKeeping();
  std::string VersionName(size_t index) const;

  // Batches on the run's thread (file_pass_batch.cc).
  /// The end of the batch that starts at `begin`: the file alone when it holds no copy, else
  /// enough files for a batch of copies.
  size_t BatchEnd(size_t begin, KnownDirectory* known_directory);
  static size_t CopiesOf(const Outcome& outcome);
  /// Flushes the batch's copies, puts them in place and makes their names durable.
  void PutInPlace(size_t begin, size_t end);
  /// Shrinks the next batch when putting `copies` in place took longer than a batch should.
  void FitBatchRoom(size_t copies, int64_t nanos);
  /// Tells the files handled so far, lines or not, at most four times a second.
  void TellHandled();
  void FlushVolumes(size_t begin, size_t end);
  void FlushVolume(size_t begin, size_t end, uint64_t volume, const std::string& dir);
  void MakeNamesDurable(size_t begin, size_t end);
  void Release(Outcome& outcome);

  // The lines and counters of each file (file_pass_report.cc).
  void Report(size_t index);
  void ReportFailed(size_t index);
  void ReportCopy(size_t index);
  /// Tells the record what a copy put in place holds.
  void RecordCopy(size_t index, const std::string& target_path);
  /// The old version's lines; false when it was not kept.
  bool ReportVersion(size_t index, const std::string& target_path);
  /// False, with its line, when the name of a copy put in place at `path` is not durable.
  bool ReportDurable(const PreparedCopy& prepared, const std::string& path);
  void ReportVersionFolderOnce();

  BackupJob& job_;
  const FileList& list_;
  RunRecord* const record_;
  FileSystem& fs_;
  const bool versioning_;
  std::unique_ptr<Outcome[]> outcomes_;
  std::vector<NameCollision> collisions_;
  TargetVolumes volumes_;
  VersionFolder version_folder_;
  DurableNames durable_names_;  ///< of the batch being put in place
  size_t batch_copies_;
  size_t batch_room_;  ///< copies the next batch may hold: fewer while a target is slow
  size_t max_pending_;
  /// On a slow target each chunk is one directory's files, so threads work in different
  /// directories: the target serializes the creations and renames of one directory.
  bool chunk_by_directory_ = false;
  std::mutex chunk_mutex_;         ///< claims by directory
  bool run_thread_copies_ = true;  ///< else it only waits for the workers and reports
  int threads_ = 1;                ///< file threads of the run, the run's own included
  std::atomic<size_t> next_{0};
  std::atomic<size_t> reported_{0};
  std::atomic<size_t> pending_{0};
  std::atomic<size_t> handled_files_{0};  ///< ready, reported or not
  std::atomic<uint64_t> handled_bytes_{0};
  int64_t handled_told_ =
      0;  ///< when the run's thread last told them  ///< copies made ahead and not yet released
  bool version_folder_reported_ = false;
  std::string time_probe_folder_;  ///< where the time probe goes; empty: none (a dry run)
  std::once_flag time_keeping_learnt_;
  std::atomic<bool> times_dropped_{false};
  // Signalled after every chunk, and when pending copies are released. std::atomic::wait is
  // avoided: it can miss wake-ups on some systems' thread libraries.
  std::mutex progress_mutex_;
  std::condition_variable progress_;
  std::condition_variable room_;
  std::atomic<int> waiting_for_room_{0};
};

}  // namespace qs
