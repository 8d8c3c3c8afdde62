// The pace of the whole run so far would let a slow start, or a first stretch of small files,
// weigh on the estimate to the end; the last ten seconds follow the source as it is now. The
// window keeps its newest sample older than ten seconds, so that a large file copied for
// longer than that still counts over the time it took.
#include "log/recent_rate.h"

namespace qs {

namespace {

constexpr int64_t kNanosPerSecond = 1000000000;
constexpr int64_t kWindowNanos = 10 * kNanosPerSecond;
constexpr int64_t kSampleNanos = kNanosPerSecond / 10;
constexpr int64_t kFairBasisNanos = 3 * kNanosPerSecond;

/// Seconds for `left` more at `done` per `nanos`; negative when nothing was done.
double AtPace(uint64_t left, uint64_t done, int64_t nanos) {
  if (left == 0) return 0;
  if (done == 0) return -1;
  return static_cast<double>(left) * static_cast<double>(nanos) /
         (static_cast<double>(done) * static_cast<double>(kNanosPerSecond));
}

}  // namespace

void RecentRate::Add(const ProgressSample& now) {
  // Bytes count once their file is done: a moment within a file, with nothing new done, would
  // start the window in the middle of that file's time.
  const bool moved = samples_.empty() || now.files_done != samples_.back().files_done ||
                     now.bytes_done != samples_.back().bytes_done;
  if (moved && (samples_.empty() || now.nanos - samples_.back().nanos >= kSampleNanos))
    samples_.push_back(now);
  // The time until the first file is done (the first folders made, the first round trips to
  // the target, many copies under way at once) comes once a run: the pace is counted from then.
  if (samples_.size() >= 2 && samples_.front().files_done == 0 && samples_.front().bytes_done == 0)
    samples_.pop_front();
  while (samples_.size() >= 2 && now.nanos - samples_[1].nanos >= kWindowNanos)
    samples_.pop_front();
}

double RecentRate::BytesPerSecond(const ProgressSample& now) const {
  if (samples_.empty() || now.nanos <= samples_.front().nanos) return 0;
  const ProgressSample& from = samples_.front();
  return static_cast<double>(now.bytes_done - from.bytes_done) *
         static_cast<double>(kNanosPerSecond) / static_cast<double>(now.nanos - from.nanos);
}

double RecentRate::SecondsLeft(const ProgressSample& now, uint64_t files, uint64_t bytes) const {
  const uint64_t files_left = files > now.files_done ? files - now.files_done : 0;
  const uint64_t bytes_left = bytes > now.bytes_done ? bytes - now.bytes_done : 0;
  if (files_left == 0 && bytes_left == 0) return 0;
  if (samples_.empty() || now.nanos - samples_.front().nanos < kFairBasisNanos) return -1;
  const ProgressSample& from = samples_.front();
  const int64_t span = now.nanos - from.nanos;
  const double by_files = AtPace(files_left, now.files_done - from.files_done, span);
  if (bytes == 0) return by_files;
  const double by_bytes = AtPace(bytes_left, now.bytes_done - from.bytes_done, span);
  if (by_files < 0 || by_bytes < 0) return -1;
  // Small files cost their number, large ones their size, and a tree holds both.
  return (by_files + by_bytes) / 2;
}

}  // namespace qs
