// The run's thread puts copies in place a batch at a time: it flushes the batch's data (one
// flush per volume where the system has one), puts the copies in place in list order, and
// makes their names durable (again one flush per volume, else one per directory) before any
// of the batch's lines is written. A disk that fails on the way fails the batch's files by
// name, never after they were reported copied.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/copy_pipeline.h"
#include "engine/paths.h"
#include "os/clock.h"

namespace qs {

namespace {

// A batch that holds few copies among many skipped files still ends after this many files
// per copy of a full batch, so that the log and the progress move on.
constexpr size_t kBatchFilesPerCopy = 16;
// Over a slow target a full batch takes long to fill, and long to put in place (one rename
// after another); a batch is kept to about this long of each, so that the lines and the
// progress come about a second apart, never in a few bursts.
constexpr int64_t kBatchNanos = 500'000'000;

bool AwaitsVolumeFlush(const PreparedCopy& prepared) {
  return prepared.copy != nullptr && !prepared.published && prepared.copy->FlushedWithVolume();
}

}  // namespace

size_t CopyPipeline::CopiesOf(const FileOutcome& outcome) {
  const auto held = [](const PreparedCopy& prepared) {
    return prepared.copy != nullptr || prepared.published ? 1 : 0;
  };
  return held(outcome.version) + held(outcome.copy);
}

size_t CopyPipeline::BatchEnd(size_t begin, KnownDirectory* known_directory) {
  EnsureReady(begin, known_directory);
  if (CopiesOf(outcomes_[begin]) == 0) return begin + 1;  // nothing to put in place
  const size_t last = std::min(list_.size(), begin + batch_copies_ * kBatchFilesPerCopy);
  Clock& clock = pass_.job.clock();
  const int64_t until = clock.MonotonicNanos() + kBatchNanos;
  size_t end = begin, copies = 0;
  for (; end < last && copies < batch_room_; ++end) {
    if (end > begin && clock.MonotonicNanos() >= until) break;
    EnsureReady(end, known_directory);
    copies += CopiesOf(outcomes_[end]);
  }
  return end;
}

void CopyPipeline::PutInPlace(size_t begin, size_t end) {
  if (CopiesOf(outcomes_[begin]) == 0 && end == begin + 1) return;
  Clock& clock = pass_.job.clock();
  const int64_t start = clock.MonotonicNanos();
  FlushVolumes(begin, end);
  if (pass_.versioning) PublishVersionsOfBatch(begin, end);
  size_t copies = 0;
  for (size_t at = begin; at < end; ++at) {
    copies += CopiesOf(outcomes_[at]);
    PublishCopies(outcomes_[at], at, false);
  }
  MakeNamesDurable(begin, end);
  FitBatchRoom(copies, clock.MonotonicNanos() - start);
}

void CopyPipeline::FitBatchRoom(size_t copies, int64_t nanos) {
  if (nanos <= kBatchNanos) {
    // Back towards the full batch, as fast as it shrank, once the target keeps up.
    if (copies >= batch_room_) batch_room_ = std::min(batch_copies_, batch_room_ * 2);
    return;
  }
  const auto fits = static_cast<size_t>(static_cast<double>(copies) * kBatchNanos / nanos);
  batch_room_ = std::clamp<size_t>(fits, 1, batch_copies_);
}

void CopyPipeline::FlushVolumes(size_t begin, size_t end) {
  std::vector<uint64_t> flushed;
  for (size_t at = begin; at < end; ++at) {
    for (const PreparedCopy* prepared : {&outcomes_[at].version, &outcomes_[at].copy}) {
      if (!AwaitsVolumeFlush(*prepared)) continue;
      const uint64_t volume = prepared->copy->Volume();
      if (std::find(flushed.begin(), flushed.end(), volume) != flushed.end()) continue;
      flushed.push_back(volume);
      FlushVolume(at, end, volume,
                  ParentPath(prepared == &outcomes_[at].copy ? pass_.TargetPath(at)
                                                             : pass_.VersionPath(at)));
    }
  }
}

void CopyPipeline::FlushVolume(size_t begin, size_t end, uint64_t volume, const std::string& dir) {
  if (fs_.SyncVolume(dir)) return;
  // No whole-volume flush after all (or it failed): flush each copy, and fail those that fail.
  for (size_t at = begin; at < end; ++at) {
    for (PreparedCopy* prepared : {&outcomes_[at].version, &outcomes_[at].copy}) {
      if (!AwaitsVolumeFlush(*prepared) || prepared->copy->Volume() != volume) continue;
      if (prepared->copy->Flush()) continue;
      prepared->attempt = {CopyAttempt::Result::kCopyFailed, fs_.LastErrorCode()};
      prepared->copy.reset();
    }
  }
}

void CopyPipeline::MakeNamesDurable(size_t begin, size_t end) {
  pass_.durableNames.Clear();
  for (size_t at = begin; at < end; ++at) {
    const FileOutcome& outcome = outcomes_[at];
    if (outcome.version.published) {
      const PreparedCopy& version = outcome.version;
      pass_.durableNames.Published(pass_.VersionPath(at), version.volume, version.withVolume);
    }
    if (outcome.copy.published) {
      const PreparedCopy& copy = outcome.copy;
      pass_.durableNames.Published(pass_.TargetPath(at), copy.volume, copy.withVolume);
    }
  }
  pass_.durableNames.Sync(fs_, threads_);
}

void CopyPipeline::Release(FileOutcome& outcome) {
  outcome.copy.copy.reset();  // an unpublished copy leaves nothing behind
  outcome.version.copy.reset();
  pending_.fetch_sub(outcome.pending);
}

}  // namespace qs
