// Workers take the list in chunks and make their copies into temporary files; the run's thread
// waits for each outcome in turn, puts the batches in place (copy_pipeline_batch.cc) and hands
// their outcomes on.
#include "engine/copy_pipeline.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <system_error>
#include <thread>
#include <vector>

#include "engine/paths.h"
#include "os/copy_temp_name.h"

namespace qs {

namespace {

constexpr size_t kChunk = 16;
// A slow target's chunks follow directories, up to this many files: beyond it the files of one
// large directory are shared out again.
constexpr size_t kMaxDirectoryChunk = 64;
// Below this many files, threads cost more than they save.
constexpr size_t kMinFilesForThreads = 64;
// How often the run's thread tells the progress while it waits for the next file in order.
constexpr std::chrono::milliseconds kCopyingEvery{250};
constexpr int64_t kCopyingEveryNanos = 250'000'000;
// A target that takes this long to answer a lookup is behind a network or a slow bus: there
// the file threads wait on the target, not the processor, and many more keep it busy. Each
// thread has one request out at a time, each in a directory of its own (the target runs the
// creations and renames of one directory one after another). 16 in flight: 32 and 64 were no
// faster over a 1 ms FUSE target on two cores, where the target's own work needs the processor
// too, and a network server grants a client only so many requests at once.
constexpr int64_t kSlowTargetNanos = 200000;
constexpr int kSlowTargetThreads = 16;

}  // namespace

CopyPipeline::CopyPipeline(FilePass& pass, OutcomeSink& sink)
    : pass_(pass),
      sink_(sink),
      fs_(pass.fs),
      list_(pass.list),
      outcomes_(new FileOutcome[pass.list.size()]) {
  max_pending_ = std::max<size_t>(fs_.PendingCopyLimit(), 8);
  batch_copies_ =
      std::clamp<size_t>(static_cast<size_t>(pass.job.tuning().flushBatch), 1, max_pending_ / 2);
  batch_room_ = batch_copies_;
  if (!pass.job.options.dryRun) time_probe_folder_ = pass.targetFolder;
}

CopyPipeline::~CopyPipeline() = default;

int CopyPipeline::ThreadCount(bool slow_target) const {
  if (list_.size() < kMinFilesForThreads) return 1;
  int threads = pass_.job.tuning().fileThreads;
  if (threads == 0 && slow_target) threads = kSlowTargetThreads;
  if (threads == 0) threads = std::max(2, static_cast<int>(std::thread::hardware_concurrency()));
  return std::clamp(threads, 1, 64);
}

bool CopyPipeline::TargetIsSlow() const {
  // Lookups of names that are not there reach the target itself, never a cache; the fastest
  // of three is its latency, whatever else the machine is doing.
  Clock& clock = pass_.job.clock();
  const std::string& folder = pass_.targetFolder;
  int64_t fastest = INT64_MAX;
  for (int i = 0; i < 3; ++i) {
    const int64_t start = clock.MonotonicNanos();
    fs_.Probe(folder.empty() ? NewCopyTempName() : folder + kPathSeparator + NewCopyTempName());
    fastest = std::min(fastest, clock.MonotonicNanos() - start);
  }
  return fastest >= kSlowTargetNanos;
}

void CopyPipeline::Run() {
  std::vector<std::thread> workers;
  // The run's own thread is one of the file threads: it takes a chunk whenever the outcome
  // it must report next is not ready yet. Not over a slow target, where a chunk is a whole
  // directory, seconds of work that would hold up every line and the progress.
  const bool slow_target = list_.size() >= kMinFilesForThreads && TargetIsSlow();
  chunk_by_directory_ = slow_target;
  threads_ = ThreadCount(slow_target);
  for (int i = slow_target ? threads_ : threads_ - 1; i > 0; --i) {
    try {
      workers.emplace_back([this] {
        if (pass_.job.tuning().onFileThreadStart) pass_.job.tuning().onFileThreadStart();
        Work();
      });
    } catch (const std::system_error&) {
      break;  // fewer threads: the others share the rest
    }
  }
  run_thread_copies_ = !slow_target || workers.empty();
  handled_told_ = pass_.job.clock().MonotonicNanos();
  KnownDirectory known_directory;
  for (size_t begin = 0; begin < list_.size();) {
    const size_t end = BatchEnd(begin, &known_directory);
    PutInPlace(begin, end);
    for (size_t index = begin; index < end; ++index) {
      sink_.OnOutcome(index, outcomes_[index]);
      Release(outcomes_[index]);
    }
    reported_.store(end, std::memory_order_release);
    TellHandled();
    MakeRoom();
    begin = end;
  }
  for (std::thread& worker : workers) worker.join();
}

bool CopyPipeline::IsReady(size_t index) const {
  return outcomes_[index].ready.load(std::memory_order_acquire) != 0;
}

void CopyPipeline::EnsureReady(size_t index, KnownDirectory* known_directory) {
  while (!IsReady(index)) {
    if (run_thread_copies_ && TakeChunk(known_directory, false)) continue;
    // Files come ready a directory at a time over a slow target, so the next one in order
    // may be seconds off while the threads copy the rest: the progress is told meanwhile.
    bool ready = false;
    {
      std::unique_lock<std::mutex> lock(progress_mutex_);
      ready = progress_.wait_for(lock, kCopyingEvery, [&] { return IsReady(index); });
    }
    if (!ready) TellHandled();
  }
}

void CopyPipeline::TellHandled() {
  const int64_t now = pass_.job.clock().MonotonicNanos();
  if (now - handled_told_ < kCopyingEveryNanos) return;
  handled_told_ = now;
  sink_.OnHandled(handled_files_.load(), handled_bytes_.load());
}

bool CopyPipeline::TakeChunk(KnownDirectory* known_directory, bool is_worker) {
  if (is_worker) {
    // Far ahead of the log with many copies open: wait until the run's thread catches up.
    std::unique_lock<std::mutex> lock(progress_mutex_);
    ++waiting_for_room_;
    room_.wait(lock, [&] {
      return pending_.load() < max_pending_ || next_.load() < reported_.load() + kChunk * 4;
    });
    --waiting_for_room_;
  }
  size_t begin = 0, end = 0;
  if (!ClaimChunk(&begin, &end)) return false;
  for (size_t index = begin; index < end; ++index) Decide(index, known_directory);
  // Locking before the notice means a waiter cannot miss it between its check and its wait.
  std::lock_guard<std::mutex> lock(progress_mutex_);
  progress_.notify_all();
  return true;
}

bool CopyPipeline::ClaimChunk(size_t* begin, size_t* end) {
  if (!chunk_by_directory_) {
    *begin = next_.fetch_add(kChunk, std::memory_order_relaxed);
    if (*begin >= list_.size()) return false;
    *end = std::min(*begin + kChunk, list_.size());
    return true;
  }
  std::lock_guard<std::mutex> lock(chunk_mutex_);
  *begin = next_.load(std::memory_order_relaxed);
  if (*begin >= list_.size()) return false;
  *end = DirectoryRunEnd(*begin, kMaxDirectoryChunk);
  next_.store(*end, std::memory_order_relaxed);
  return true;
}

size_t CopyPipeline::DirectoryRunEnd(size_t begin, size_t limit) const {
  const std::string& first = list_[begin].path;
  const size_t slash = first.rfind(kPathSeparator);
  const size_t last = std::min(list_.size(), begin + limit);
  size_t end = begin + 1;
  while (end < last) {
    const std::string& path = list_[end].path;
    // Same directory: the same text up to and including the last separator, and none after.
    if (path.size() <= slash + 1 || path.compare(0, slash + 1, first, 0, slash + 1) != 0 ||
        path.find(kPathSeparator, slash + 1) != std::string::npos)
      break;
    ++end;
  }
  return end;
}

void CopyPipeline::Work() {
  KnownDirectory known_directory;
  while (TakeChunk(&known_directory, true)) {
  }
}

void CopyPipeline::MakeRoom() {
  if (waiting_for_room_.load() == 0) return;
  std::lock_guard<std::mutex> lock(progress_mutex_);
  room_.notify_all();
}

}  // namespace qs
