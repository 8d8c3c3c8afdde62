// A file counts as done at its outcome's line, or earlier when the run says copies made
// ahead of their lines are done: the lines catch up later.
#include "log/run_progress.h"

#include <algorithm>

namespace qs {

namespace {

bool EndsAFile(RunEventKind kind) {
  return kind == RunEventKind::kCopied || kind == RunEventKind::kUpdated ||
         kind == RunEventKind::kSkipped || kind == RunEventKind::kFailed;
}

}  // namespace

void RunProgress::Count(const RunEvent& event, int64_t now) {
  if (event.kind == RunEventKind::kScanned) {
    files_ = event.count;
    bytes_ = event.bytes;
    counting_ = true;
  }
  if (EndsAFile(event.kind)) {
    ++files_reported_;
    bytes_reported_ += event.bytes;
  }
  if (event.kind == RunEventKind::kCopying) {
    files_ahead_ = event.count;
    bytes_ahead_ = event.bytes;
  }
  files_done_ = std::max(files_reported_, files_ahead_);
  bytes_done_ = std::max(bytes_reported_, bytes_ahead_);
  if (counting_) rate_.Add({now, files_done_, bytes_done_});
}

ProgressFigures RunProgress::Figures(int64_t now) const {
  const ProgressSample sample{now, files_done_, bytes_done_};
  ProgressFigures figures{files_done_, files_, bytes_done_, bytes_};
  figures.bytes_per_second = rate_.BytesPerSecond(sample);
  figures.seconds_left = counting_ ? rate_.SecondsLeft(sample, files_, bytes_) : -1;
  return figures;
}

}  // namespace qs
