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
#include "engine/target_volume.h"
#include "engine/time_versioning.h"

namespace qs {

/// File threads decide each file and copy it (and, for an update with time versioning, the
/// old copy) into temporary files ahead of the log. The run's own thread flushes those copies
/// in batches, then puts them in place and writes every log line and counter in list order,
/// exactly as one thread would. So no name in the target ever points at data that is not on
/// the disk, and the run's closing lines come only once all of it is durable.
class FilePass {
 public:
  FilePass(BackupJob& job, const FileList& list);
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
    PreparedCopy version;      ///< the old target copy, into the version folder
    PreparedCopy copy;
  };

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
  void Decide(size_t index, KnownDirectory* known_directory);
  Decision DecideOn(size_t index, const std::string& target_path);
  void PrepareCopies(Outcome& outcome, size_t index, const std::string& target_path,
                     KnownDirectory* known_directory);
  /// Flushes a copy at once when its volume cannot be flushed as a whole.
  void FlushAlone(PreparedCopy& prepared);
  /// Puts such a copy in place at once, when its flush worked.
  void PublishAhead(PreparedCopy& prepared);
  /// Flushes the folders of an old copy put in place ahead, up to the target root, before its
  /// update may replace it; false, the update failed, when that flush failed.
  bool MakeVersionNameDurable(size_t index, Outcome& outcome);
  /// Puts the batch's old copies in place and flushes the volume before any update replaces
  /// one; the updates whose old copy may not last fail.
  void PublishVersionsOfBatch(size_t begin, size_t end);
  void FailCopy(PreparedCopy& prepared, uint32_t code);
  static int NeedsVolumeFlush(const Outcome& outcome);
  void FlushBatchFrom(size_t index, KnownDirectory* known_directory);
  void FlushVolume(size_t begin, size_t end, uint64_t volume, const std::string& dir);
  void Report(size_t index);
  void ReportFailed(size_t index);
  void ReportCopy(size_t index, const std::string& target_path);
  bool PublishVersion(size_t index, const std::string& target_path);
  void ReportVersionFolderOnce();
  void Release(Outcome& outcome);
  /// Wakes workers waiting for room, if any.
  void MakeRoom();
  void MakeNamesDurable();
  const NameCollision* CollisionAt(size_t index) const;
  size_t RelativeStart(size_t index) const;
  std::string RelativePart(size_t index) const;
  /// The file's path below the target root, and below the version folder.
  std::string TargetPath(size_t index) const;
  std::string VersionPath(size_t index);

  BackupJob& job_;
  const FileList& list_;
  FileSystem& fs_;
  const bool versioning_;  ///< as the run started: a failed version folder turns it off
  std::unique_ptr<Outcome[]> outcomes_;
  std::vector<NameCollision> collisions_;
  TargetVolumes volumes_;
  VersionFolder version_folder_;
  DurableNames durable_names_;
  size_t batch_copies_;
  size_t max_pending_;
  /// On a slow target each chunk is one directory's files, so threads work in different
  /// directories: the target serializes the creations and renames of one directory.
  bool chunk_by_directory_ = false;
  std::mutex chunk_mutex_;  ///< claims by directory
  int threads_ = 1;         ///< file threads of the run, the run's own included
  std::atomic<size_t> next_{0};
  std::atomic<size_t> reported_{0};
  std::atomic<size_t> pending_{0};  ///< copies made ahead and not yet put in place or dropped
  size_t flushed_end_ = 0;          ///< outcomes below it are flushed (run's thread only)
  bool version_folder_reported_ = false;
  // Signalled after every chunk, and when pending copies are put in place. std::atomic::wait
  // is avoided: it can miss wake-ups on some systems' thread libraries.
  std::mutex progress_mutex_;
  std::condition_variable progress_;
  std::condition_variable room_;
  std::atomic<int> waiting_for_room_{0};
};

}  // namespace qs
