// The file pass of a run: one decision per listed file, reported in list order.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

#include "engine/backup_job.h"

namespace qs {

/// Probes (and, without time versioning, copies) files on several threads, while the run's
/// own thread writes every log line and counter in list order, exactly as one thread would.
class FilePass {
 public:
  FilePass(BackupJob& job, const FileList& list);
  ~FilePass();
  FilePass(const FilePass&) = delete;
  FilePass& operator=(const FilePass&) = delete;

  void Run();

 private:
  enum class Decision : uint8_t { kSkip, kNew, kUpdate };
  struct Outcome {
    std::atomic<uint8_t> ready{0};
    Decision decision = Decision::kSkip;
    bool attempted = false;  ///< the copy was made ahead; `attempt` holds its result
    CopyAttempt attempt;
  };

  /// How many threads handle files, the run's own included.
  int ThreadCount() const;
  void Work();
  /// Decides the next chunk of files; false when none is left.
  bool TakeChunk(std::string* known_directory);
  bool IsReady(size_t index) const;
  void WaitUntilReady(size_t index);
  void Decide(size_t index, std::string* known_directory);
  void Report(size_t index);
  size_t RelativeStart(size_t index) const;
  std::string RelativePart(size_t index) const;
  /// The file's path below the target root.
  std::string TargetPath(size_t index) const;

  BackupJob& job_;
  const FileList& list_;
  FileSystem& fs_;
  const bool copy_ahead_;  ///< false with time versioning: copies wait for their turn
  std::unique_ptr<Outcome[]> outcomes_;
  std::atomic<size_t> next_{0};
  // Signalled after every chunk; std::atomic::wait is avoided, it can miss wake-ups on
  // some systems' thread libraries.
  std::mutex progress_mutex_;
  std::condition_variable progress_;
};

}  // namespace qs
