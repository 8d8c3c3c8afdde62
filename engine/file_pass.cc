// Workers take the list in chunks; the run's thread waits for each outcome in turn. Only the
// file-system work runs ahead: logs, counters and version folders stay on the run's thread.
#include "engine/file_pass.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <vector>

#include "engine/file_times.h"

namespace qs {

namespace {

constexpr size_t kChunk = 16;
// Below this many files, threads cost more than they save.
constexpr size_t kMinFilesForThreads = 64;

}  // namespace

FilePass::FilePass(BackupJob& job, const FileList& list)
    : job_(job),
      list_(list),
      fs_(*job.services_.fs),
      copy_ahead_(!job.timeVersioningOn),
      outcomes_(new Outcome[list.size()]) {}

FilePass::~FilePass() = default;

int FilePass::ThreadCount() const {
  if (list_.size() < kMinFilesForThreads) return 1;
  int threads = job_.services_.fileThreads;
  if (threads == 0) threads = std::max(2, static_cast<int>(std::thread::hardware_concurrency()));
  return std::clamp(threads, 1, 16);
}

void FilePass::Run() {
  std::vector<std::thread> workers;
  // The run's own thread is one of the file threads: it takes a chunk whenever the outcome
  // it must report next is not ready yet.
  for (int i = ThreadCount() - 1; i > 0; --i) {
    try {
      workers.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
      break;  // fewer threads: the others share the rest
    }
  }
  std::string known_directory;
  for (size_t index = 0; index < list_.size(); ++index) {
    if (!IsReady(index) && !TakeChunk(&known_directory)) WaitUntilReady(index);
    if (!IsReady(index)) {  // the chunk taken ended before this file; look again
      --index;
      continue;
    }
    Report(index);
  }
  for (std::thread& worker : workers) worker.join();
}

bool FilePass::IsReady(size_t index) const {
  return outcomes_[index].ready.load(std::memory_order_acquire) != 0;
}

void FilePass::WaitUntilReady(size_t index) {
  std::unique_lock<std::mutex> lock(progress_mutex_);
  progress_.wait(lock, [&] { return IsReady(index); });
}

bool FilePass::TakeChunk(std::string* known_directory) {
  const size_t begin = next_.fetch_add(kChunk, std::memory_order_relaxed);
  if (begin >= list_.size()) return false;
  const size_t end = std::min(begin + kChunk, list_.size());
  for (size_t index = begin; index < end; ++index) Decide(index, known_directory);
  // Locking before the notice means a waiter cannot miss it between its check and its wait.
  std::lock_guard<std::mutex> lock(progress_mutex_);
  progress_.notify_all();
  return true;
}

void FilePass::Work() {
  std::string known_directory;
  while (TakeChunk(&known_directory)) {
  }
}

size_t FilePass::RelativeStart(size_t index) const {
  return std::min(job_.sourceRoot.size(), list_[index].path.size());
}

std::string FilePass::RelativePart(size_t index) const {
  return list_[index].path.substr(RelativeStart(index));
}

std::string FilePass::TargetPath(size_t index) const {
  // Built in one piece: this runs for every file of every run.
  const std::string& path = list_[index].path;
  std::string target;
  target.reserve(job_.targetRoot.size() + path.size() - RelativeStart(index));
  target.append(job_.targetRoot).append(path, RelativeStart(index));
  return target;
}

void FilePass::Decide(size_t index, std::string* known_directory) {
  const ListedFile& file = list_[index];
  Outcome& outcome = outcomes_[index];
  const std::string target_path = TargetPath(index);
  const PathInfo target = fs_.Stat(target_path);
  if (target.kind == PathKind::Missing) {
    outcome.decision = Decision::kNew;
  } else {
    const FileTime source_time =
        file.lastWrite == kUnknownTime ? fs_.Stat(file.path).lastWrite : file.lastWrite;
    outcome.decision =
        SourceIsNewer(source_time, target.lastWrite) ? Decision::kUpdate : Decision::kSkip;
  }
  if (outcome.decision != Decision::kSkip && copy_ahead_) {
    outcome.attempt = job_.AttemptCopy(file.path, target_path, known_directory);
    outcome.attempted = true;
  }
  outcome.ready.store(1, std::memory_order_release);
}

void FilePass::Report(size_t index) {
  const Outcome& outcome = outcomes_[index];
  const std::string& path = list_[index].path;
  BackupCounters& counters = job_.counters;
  if (outcome.decision == Decision::kSkip) {
    ++counters.skipped;
    job_.LogFileOperation("SKIPPED", path, "");
    return;
  }
  const std::string target_path = TargetPath(index);
  if (!outcome.attempted) {
    if (outcome.decision == Decision::kNew)
      job_.CopyNewFile(path, target_path);
    else
      job_.UpdateFile(path, target_path, RelativePart(index));
  } else if (job_.ReportCopy(outcome.attempt, path, target_path, false)) {
    const bool is_new = outcome.decision == Decision::kNew;
    job_.LogFileOperation(is_new ? "COPIED" : "UPDATED", path, "");
    ++(is_new ? counters.copied : counters.updated);
  } else {
    job_.LogFileOperation("FAILED", path, "");
    ++counters.failed;
  }
}

}  // namespace qs
