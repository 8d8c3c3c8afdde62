// The copy pipeline of a file pass: file threads decide each file and copy it (and, for an
// update with time versioning, the old copy) into temporary files ahead of the log. The run's
// own thread takes the files in batches: it flushes the batch's copies, puts them in place,
// makes their names durable, and only then hands the batch's outcomes on in list order,
// exactly as one thread would. So no name in the target points at data that is not on the
// disk, and no copy is handed on before it would survive a crash.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "engine/file_outcome.h"
#include "engine/file_pass.h"

namespace qs {

class CopyPipeline {
 public:
  CopyPipeline(FilePass& pass, OutcomeSink& sink);
  ~CopyPipeline();
  CopyPipeline(const CopyPipeline&) = delete;
  CopyPipeline& operator=(const CopyPipeline&) = delete;

  void Run();
  /// After Run: the target's volume was found to drop the last-write times set on copies,
  /// learnt in this folder.
  bool TimesDropped() const { return times_dropped_; }
  const std::string& TimeProbeFolder() const { return time_probe_folder_; }

 private:
  // The file threads (copy_pipeline.cc).
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
  /// Tells the files handled so far, at most four times a second.
  void TellHandled();

  // One file's facts, decision and copies, on any file thread (copy_pipeline_probe.cc).
  void Decide(size_t index, KnownDirectory* known_directory);
  CopyDecision DecideOn(size_t index, const std::string& target_path);
  /// A skip by the times stands unless the record shows the source was replaced since.
  CopyDecision DecideByRecord(size_t index, const CopyFacts& facts, TimeStepOfTarget& step);
  void PrepareCopies(FileOutcome& outcome, size_t index, const std::string& target_path,
                     KnownDirectory* known_directory);
  /// Copies the old target copy into the version folder; false when that failed.
  bool PrepareVersion(FileOutcome& outcome, size_t index, const std::string& target_path);
  /// Flushes a copy at once when its volume cannot be flushed as a whole.
  void FlushAlone(PreparedCopy& prepared);
  /// Puts the old version, then the copy, in place: only those flushed on their own when
  /// `ahead`. Never a copy whose old version could not be kept.
  void PublishCopies(FileOutcome& outcome, size_t index, bool ahead);
  /// Learns whether the target's volume keeps the last-write times set on copies, once a
  /// run: before its first copy, or at a target copy newer than its source. An unchanged run
  /// on a volume that keeps times writes nothing.
  void LearnTimeKeeping();

  // The old copies' names before their updates (copy_pipeline_versions.cc).
  /// Flushes the folders of an old copy put in place ahead, up to the target root, before its
  /// update may replace it; false, the update failed, when that flush failed.
  bool MakeVersionNameDurable(size_t index, FileOutcome& outcome);
  /// Puts the batch's old copies in place and makes their names durable before any update
  /// replaces one; the updates whose old copy may not last fail.
  void PublishVersionsOfBatch(size_t begin, size_t end);

  // Batches on the run's thread (copy_pipeline_batch.cc).
  /// The end of the batch that starts at `begin`: the file alone when it holds no copy, else
  /// enough files for a batch of copies.
  size_t BatchEnd(size_t begin, KnownDirectory* known_directory);
  static size_t CopiesOf(const FileOutcome& outcome);
  /// Flushes the batch's copies, puts them in place and makes their names durable.
  void PutInPlace(size_t begin, size_t end);
  /// Shrinks the next batch when putting `copies` in place took longer than a batch should.
  void FitBatchRoom(size_t copies, int64_t nanos);
  void FlushVolumes(size_t begin, size_t end);
  void FlushVolume(size_t begin, size_t end, uint64_t volume, const std::string& dir);
  void MakeNamesDurable(size_t begin, size_t end);
  void Release(FileOutcome& outcome);

  FilePass& pass_;
  OutcomeSink& sink_;
  FileSystem& fs_;
  const FileList& list_;
  std::unique_ptr<FileOutcome[]> outcomes_;
  size_t batch_copies_;
  size_t batch_room_;  ///< copies the next batch may hold: fewer while a target is slow
  size_t max_pending_;
  /// On a slow target each chunk is one directory's files, so threads work in different
  /// directories: the target serializes the creations and renames of one directory.
  bool chunk_by_directory_ = false;
  std::mutex chunk_mutex_;         ///< claims by directory
  bool run_thread_copies_ = true;  ///< else it only waits for the workers and hands on
  int threads_ = 1;                ///< file threads of the run, the run's own included
  std::atomic<size_t> next_{0};
  std::atomic<size_t> reported_{0};
  std::atomic<size_t> pending_{0};        ///< copies made ahead and not yet released
  std::atomic<size_t> handled_files_{0};  ///< ready, handed on or not
  std::atomic<uint64_t> handled_bytes_{0};
  int64_t handled_told_ = 0;       ///< when the run's thread last told them
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
