// Workers take the list in chunks and make their copies into temporary files; the run's thread
// waits for each outcome in turn. Before it puts a copy in place it flushes a whole batch of
// them: one flush per volume where the system has one, so durability costs a few calls per
// run rather than one per file. Logs, counters and the version folder's lines stay on the
// run's thread.
#include "engine/file_pass.h"

#include <algorithm>
#include <climits>
#include <system_error>
#include <thread>
#include <vector>

#include "engine/file_times.h"
#include "engine/paths.h"
#include "log/log_time.h"
#include "platform/copy_temp_name.h"

namespace qs {

namespace {

constexpr size_t kChunk = 16;
// A slow target's chunks follow directories, up to this many files: beyond it the files of one
// large directory are shared out again.
constexpr size_t kMaxDirectoryChunk = 64;
// Below this many files, threads cost more than they save.
constexpr size_t kMinFilesForThreads = 64;
// A target that takes this long to answer a lookup is behind a network or a slow bus: there
// the file threads wait on the target, not the processor, and many more keep it busy. Each
// thread has one request out at a time, each in a directory of its own (the target runs the
// creations and renames of one directory one after another). 16 in flight: 32 and 64 were no
// faster over a 1 ms FUSE target on two cores, where the target's own work needs the processor
// too, and a network server grants a client only so many requests at once.
constexpr int64_t kSlowTargetNanos = 200000;
constexpr int kSlowTargetThreads = 16;

/// Where the target root lies, or the nearest folder above it that exists: the volume the
/// target's names will live on.
std::string NearestExistingFolder(FileSystem& fs, const std::string& target_root) {
  std::string dir = WithoutTrailingSeparator(target_root);
  while (!dir.empty() && fs.Probe(dir) != PathKind::Directory && HasParent(dir))
    dir = ParentPath(dir);
  return dir.empty() || fs.Probe(dir) != PathKind::Directory ? std::string() : dir;
}

/// True when `target_path` lies right in the directory this thread made in this run.
bool InDirectoryMadeByThisRun(const std::string& target_path, const KnownDirectory& known) {
  const std::string& dir = known.path;
  return known.made && !dir.empty() && target_path.size() > dir.size() + 1 &&
         target_path.compare(0, dir.size(), dir) == 0 &&
         target_path[dir.size()] == kPathSeparator &&
         target_path.find(kPathSeparator, dir.size() + 1) == std::string::npos;
}

}  // namespace

FilePass::FilePass(BackupJob& job, const FileList& list)
    : job_(job),
      list_(list),
      fs_(job.fs()),
      versioning_(job.options.timeVersioningOn),
      outcomes_(new Outcome[list.size()]),
      volumes_(fs_, !job.options.dryRun),
      version_folder_(
          [&job] {
            return job.options.targetRoot + "backup_" + CompactTimestamp(*job.services().log.clock);
          },
          [&job](const std::string& dir, uint32_t* error) {
            return MakeVersionFolder(job.fs(), *job.services().log.clock, dir,
                                     job.options.sourceRoot, error);
          }),
      durable_names_(job.options.targetRoot) {
  max_pending_ = std::max<size_t>(fs_.PendingCopyLimit(), 8);
  batch_copies_ =
      std::clamp<size_t>(static_cast<size_t>(job.services().flushBatch), 1, max_pending_ / 2);
  const std::string existing = NearestExistingFolder(fs_, job.options.targetRoot);
  // A target root this run makes must have its own name flushed, in the folder above it.
  durable_names_.ExistedBefore(existing);
  if (list_.size() > 1 && ProbeCaseFolding(fs_, existing, !job.options.dryRun))
    collisions_ = FindNameCollisions(list_, job.options.sourceRoot.size());
}

FilePass::~FilePass() = default;

int FilePass::ThreadCount(bool slow_target) const {
  if (list_.size() < kMinFilesForThreads) return 1;
  int threads = job_.services().fileThreads;
  if (threads == 0 && slow_target) threads = kSlowTargetThreads;
  if (threads == 0) threads = std::max(2, static_cast<int>(std::thread::hardware_concurrency()));
  return std::clamp(threads, 1, 64);
}

bool FilePass::TargetIsSlow() const {
  // Lookups of names that are not there reach the target itself, never a cache; the fastest
  // of three is its latency, whatever else the machine is doing.
  Clock& clock = *job_.services().log.clock;
  const std::string folder = NearestExistingFolder(fs_, job_.options.targetRoot);
  int64_t fastest = INT64_MAX;
  for (int i = 0; i < 3; ++i) {
    const int64_t start = clock.MonotonicNanos();
    fs_.Probe(folder.empty() ? NewCopyTempName() : folder + kPathSeparator + NewCopyTempName());
    fastest = std::min(fastest, clock.MonotonicNanos() - start);
  }
  return fastest >= kSlowTargetNanos;
}

void FilePass::Run() {
  std::vector<std::thread> workers;
  // The run's own thread is one of the file threads: it takes a chunk whenever the outcome
  // it must report next is not ready yet.
  const bool slow_target = list_.size() >= kMinFilesForThreads && TargetIsSlow();
  chunk_by_directory_ = slow_target;
  threads_ = ThreadCount(slow_target);
  for (int i = threads_ - 1; i > 0; --i) {
    try {
      workers.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
      break;  // fewer threads: the others share the rest
    }
  }
  KnownDirectory known_directory;
  for (size_t index = 0; index < list_.size(); ++index) {
    EnsureReady(index, &known_directory);
    if (index >= flushed_end_ && NeedsVolumeFlush(outcomes_[index]) > 0)
      FlushBatchFrom(index, &known_directory);
    Report(index);
    Release(outcomes_[index]);
    reported_.store(index + 1, std::memory_order_release);
    MakeRoom();
  }
  for (std::thread& worker : workers) worker.join();
  MakeNamesDurable();
}

bool FilePass::IsReady(size_t index) const {
  return outcomes_[index].ready.load(std::memory_order_acquire) != 0;
}

void FilePass::EnsureReady(size_t index, KnownDirectory* known_directory) {
  while (!IsReady(index)) {
    if (TakeChunk(known_directory, false)) continue;
    std::unique_lock<std::mutex> lock(progress_mutex_);
    progress_.wait(lock, [&] { return IsReady(index); });
  }
}

bool FilePass::TakeChunk(KnownDirectory* known_directory, bool is_worker) {
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

bool FilePass::ClaimChunk(size_t* begin, size_t* end) {
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

size_t FilePass::DirectoryRunEnd(size_t begin, size_t limit) const {
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

void FilePass::Work() {
  KnownDirectory known_directory;
  while (TakeChunk(&known_directory, true)) {
  }
}

const NameCollision* FilePass::CollisionAt(size_t index) const {
  if (collisions_.empty()) return nullptr;
  const auto at = std::lower_bound(
      collisions_.begin(), collisions_.end(), index,
      [](const NameCollision& collision, size_t value) { return collision.later < value; });
  return at != collisions_.end() && at->later == index ? &*at : nullptr;
}

size_t FilePass::RelativeStart(size_t index) const {
  return std::min(job_.options.sourceRoot.size(), list_[index].path.size());
}

std::string FilePass::RelativePart(size_t index) const {
  return list_[index].path.substr(RelativeStart(index));
}

std::string FilePass::TargetPath(size_t index) const {
  // Built in one piece: this runs for every file of every run.
  const std::string& path = list_[index].path;
  std::string target;
  const std::string& root = job_.options.targetRoot;
  target.reserve(root.size() + path.size() - RelativeStart(index));
  target.append(root).append(path, RelativeStart(index));
  return target;
}

std::string FilePass::VersionPath(size_t index) {
  std::string name = RelativePart(index);
  if (!name.empty() && name.front() == kPathSeparator) name.erase(0, 1);
  return version_folder_.Path() + kPathSeparator + name;
}

void FilePass::Decide(size_t index, KnownDirectory* known_directory) {
  Outcome& outcome = outcomes_[index];
  const std::string target_path = TargetPath(index);
  if (CollisionAt(index) != nullptr)
    outcome.decision = Decision::kCollision;
  else if (InDirectoryMadeByThisRun(target_path, *known_directory))
    outcome.decision = Decision::kNew;  // nothing to look up: the run made its directory
  else
    outcome.decision = DecideOn(index, target_path);
  if (outcome.decision != Decision::kSkip && outcome.decision != Decision::kCollision)
    PrepareCopies(outcome, index, target_path, known_directory);
  outcome.ready.store(1, std::memory_order_release);
}

FilePass::Decision FilePass::DecideOn(size_t index, const std::string& target_path) {
  const PathInfo target = fs_.Stat(target_path);
  switch (target.kind) {
    case PathKind::Missing:
    case PathKind::Unreadable:  // the copy will say why
      return Decision::kNew;
    case PathKind::Directory:
    case PathKind::Other:
      return Decision::kNotAFile;
    case PathKind::File:
      break;
  }
  const ListedFile& file = list_[index];
  const FileTime source =
      file.lastWrite == kUnknownTime ? fs_.Stat(file.path).lastWrite : file.lastWrite;
  if (source <= target.lastWrite) return Decision::kSkip;
  if (!MayBeCoarseCopyOf(target.lastWrite, source)) return Decision::kUpdate;
  // Only here does it matter how finely the target's volume keeps times.
  const TimeStep step = volumes_.StepOf(target.volume, ParentPath(target_path));
  return SourceIsNewer(source, target.lastWrite, step) ? Decision::kUpdate : Decision::kSkip;
}

void FilePass::PrepareCopies(Outcome& outcome, size_t index, const std::string& target_path,
                             KnownDirectory* known_directory) {
  const std::string& path = list_[index].path;
  if (outcome.decision == Decision::kNotAFile) {
    // Refused with the file system's own code; the item there stays untouched.
    if (!fs_.CheckCopyTarget(target_path)) {
      outcome.copy.attempt = {CopyAttempt::Result::kCopyFailed, fs_.LastErrorCode()};
      return;
    }
    outcome.decision = Decision::kNew;  // it went away meanwhile: a new file after all
  }
  const bool folder = versioning_ && version_folder_.Ensure();
  if (folder && outcome.decision == Decision::kUpdate) {
    outcome.saveVersion = true;
    outcome.version = PrepareCopy(fs_, target_path, VersionPath(index), nullptr);
    FlushAlone(outcome.version);
  }
  outcome.copy = PrepareCopy(fs_, path, target_path, known_directory);
  FlushAlone(outcome.copy);
  // A copy flushed on its own is durable now: put it in place here, on this thread, so that a
  // slow target has many of them in flight. The old version goes first, and its name is on
  // the disk before the update replaces the old copy: names reach the disk in no set order.
  PublishAhead(outcome.version);
  if (outcome.version.published) MakeVersionNameDurable(index, outcome);
  PublishAhead(outcome.copy);
  pending_.fetch_add((outcome.copy.copy ? 1 : 0) + (outcome.version.copy ? 1 : 0));
}

void FilePass::FlushAlone(PreparedCopy& prepared) {
  if (prepared.copy == nullptr || prepared.copy->FlushedWithVolume()) return;
  if (prepared.copy->Flush()) return;
  prepared.attempt = {CopyAttempt::Result::kCopyFailed, fs_.LastErrorCode()};
  prepared.copy.reset();
}

void FilePass::PublishAhead(PreparedCopy& prepared) {
  if (prepared.copy == nullptr || prepared.copy->FlushedWithVolume()) return;
  prepared.published = prepared.copy->Publish();
  if (prepared.published) return;
  prepared.attempt = {CopyAttempt::Result::kCopyFailed, fs_.LastErrorCode()};
  prepared.copy.reset();
}

int FilePass::NeedsVolumeFlush(const Outcome& outcome) {
  int copies = 0;
  for (const PreparedCopy* prepared : {&outcome.version, &outcome.copy})
    if (prepared->copy != nullptr && prepared->copy->FlushedWithVolume()) ++copies;
  return copies;
}

void FilePass::FlushBatchFrom(size_t index, KnownDirectory* known_directory) {
  size_t end = index, copies = 0;
  for (; end < list_.size() && copies < batch_copies_; ++end) {
    EnsureReady(end, known_directory);
    copies += static_cast<size_t>(NeedsVolumeFlush(outcomes_[end]));
  }
  std::vector<uint64_t> flushed;
  for (size_t at = index; at < end; ++at) {
    for (const PreparedCopy* prepared : {&outcomes_[at].version, &outcomes_[at].copy}) {
      if (prepared->copy == nullptr || !prepared->copy->FlushedWithVolume()) continue;
      const uint64_t volume = prepared->copy->Volume();
      if (std::find(flushed.begin(), flushed.end(), volume) != flushed.end()) continue;
      flushed.push_back(volume);
      FlushVolume(at, end, volume,
                  ParentPath(prepared == &outcomes_[at].copy ? TargetPath(at) : VersionPath(at)));
    }
  }
  flushed_end_ = end;
  PublishVersionsOfBatch(index, end);
}

void FilePass::FlushVolume(size_t begin, size_t end, uint64_t volume, const std::string& dir) {
  if (fs_.SyncVolume(dir)) return;
  // No whole-volume flush after all (or it failed): flush each copy, and fail those that fail.
  for (size_t at = begin; at < end; ++at) {
    for (PreparedCopy* prepared : {&outcomes_[at].version, &outcomes_[at].copy}) {
      if (prepared->copy == nullptr || prepared->copy->Volume() != volume) continue;
      if (prepared->copy->Flush()) continue;
      prepared->attempt = {CopyAttempt::Result::kCopyFailed, fs_.LastErrorCode()};
      prepared->copy.reset();
      pending_.fetch_sub(1);
    }
  }
}

void FilePass::Release(Outcome& outcome) {
  const size_t held = (outcome.copy.copy ? 1 : 0) + (outcome.version.copy ? 1 : 0);
  outcome.copy.copy.reset();  // an unpublished copy leaves nothing behind
  outcome.version.copy.reset();
  pending_.fetch_sub(held);
}

void FilePass::MakeRoom() {
  if (waiting_for_room_.load() == 0) return;
  std::lock_guard<std::mutex> lock(progress_mutex_);
  room_.notify_all();
}

void FilePass::Report(size_t index) {
  const Outcome& outcome = outcomes_[index];
  const std::string& path = list_[index].path;
  switch (outcome.decision) {
    case Decision::kSkip:
      ++job_.results.counters.skipped;
      return job_.Report(
          {.kind = RunEventKind::kSkipped, .job = job_, .path = path, .bytes = list_[index].size});
    case Decision::kCollision:
      job_.Report({.kind = RunEventKind::kNameCollision,
                   .job = job_,
                   .path = path,
                   .other = list_[CollisionAt(index)->first].path});
      return ReportFailed(index);
    case Decision::kNotAFile:
      ReportCopyAttempt(job_, outcome.copy.attempt, path, TargetPath(index));
      return ReportFailed(index);
    case Decision::kNew:
    case Decision::kUpdate:
      return ReportCopy(index, TargetPath(index));
  }
}

void FilePass::ReportFailed(size_t index) {
  ++job_.results.counters.failed;
  job_.Report({.kind = RunEventKind::kFailed,
               .job = job_,
               .path = list_[index].path,
               .bytes = list_[index].size});
}

void FilePass::ReportCopy(size_t index, const std::string& target_path) {
  ReportVersionFolderOnce();
  Outcome& outcome = outcomes_[index];
  const std::string& path = list_[index].path;
  const bool saved = outcome.saveVersion && PublishVersion(index, target_path);
  PreparedCopy& prepared = outcome.copy;
  if (prepared.copy != nullptr && !prepared.published && !prepared.copy->Publish()) {
    prepared.attempt = {CopyAttempt::Result::kCopyFailed, fs_.LastErrorCode()};
    prepared.copy.reset();
    pending_.fetch_sub(1);
  }
  if (!ReportCopyAttempt(job_, prepared.attempt, path, target_path)) return ReportFailed(index);
  durable_names_.Published(target_path, prepared.copy->Volume(),
                           prepared.copy->FlushedWithVolume());
  const bool is_new = outcome.decision == Decision::kNew;
  ++(is_new ? job_.results.counters.copied : job_.results.counters.updated);
  const std::string relative = RelativePart(index);
  job_.Report({.kind = is_new ? RunEventKind::kCopied : RunEventKind::kUpdated,
               .job = job_,
               .path = path,
               .relative = relative,
               .bytes = list_[index].size,
               .versioned = saved});
  if (const uint32_t code = prepared.copy->AttributesNotKept()) {
    job_.Report(
        {.kind = RunEventKind::kAttributesNotKept, .job = job_, .path = target_path, .code = code});
  }
}

bool FilePass::PublishVersion(size_t index, const std::string& target_path) {
  PreparedCopy& prepared = outcomes_[index].version;
  if (prepared.copy == nullptr || (!prepared.published && !prepared.copy->Publish())) {
    ++job_.results.timeVersionFailures;
    job_.Report({.kind = RunEventKind::kVersionNotSaved, .job = job_, .path = target_path});
    return false;
  }
  durable_names_.Published(VersionPath(index), prepared.copy->Volume(),
                           prepared.copy->FlushedWithVolume());
  std::string name = RelativePart(index);
  if (!name.empty() && name.front() == kPathSeparator) name.erase(0, 1);
  ++job_.results.counters.timeVersioned;
  job_.Report(
      {.kind = RunEventKind::kVersionSaved, .job = job_, .path = target_path, .relative = name});
  return true;
}

void FilePass::ReportVersionFolderOnce() {
  if (!versioning_ || version_folder_reported_ || !version_folder_.Attempted()) return;
  version_folder_reported_ = true;
  job_.results.versionDir = version_folder_.Path();
  const std::string& dir = job_.results.versionDir;
  if (version_folder_.Ensure()) {
    durable_names_.MadeDirectory(dir);
    return job_.Report({.kind = RunEventKind::kVersionFolderMade, .job = job_, .path = dir});
  }
  ++job_.results.timeVersionFailures;
  job_.options.timeVersioningOn = false;
  job_.Report({.kind = RunEventKind::kVersionFolderFailed,
               .job = job_,
               .path = dir,
               .code = version_folder_.ErrorCode()});
}

void FilePass::MakeNamesDurable() {
  durable_names_.Sync(
      fs_,
      [this](const std::string& path, uint32_t code) {
        ++job_.results.flushFailures;
        job_.Report({.kind = RunEventKind::kFlushFailed, .job = job_, .path = path, .code = code});
      },
      threads_);
}

}  // namespace qs
