// The old copies of an update with time versioning: each one's name is on the disk before the
// update replaces the copy it was taken from. Names reach the disk in no set order unless
// flushed, so without this a crash could keep the new copy and lose the old one.
#include <vector>

#include "engine/copy_pipeline.h"
#include "engine/paths.h"

namespace qs {

bool CopyPipeline::MakeVersionNameDurable(size_t index, FileOutcome& outcome) {
  const std::string root = WithoutTrailingSeparator(pass_.job.options.targetRoot);
  for (std::string dir = ParentPath(pass_.VersionPath(index));; dir = ParentPath(dir)) {
    if (!fs_.SyncDirectory(dir)) {
      outcome.copy.attempt = {CopyAttempt::Result::kCopyFailed, fs_.LastErrorCode()};
      outcome.copy.copy.reset();  // the old copy stays as it is
      return false;
    }
    if (dir.size() <= root.size() || !HasParent(dir)) return true;
  }
}

void CopyPipeline::PublishVersionsOfBatch(size_t begin, size_t end) {
  std::vector<size_t> published;
  pass_.durableNames.Clear();
  for (size_t at = begin; at < end; ++at) {
    PreparedCopy& version = outcomes_[at].version;
    if (version.copy == nullptr || version.published || !version.Publish(fs_)) continue;
    published.push_back(at);
    pass_.durableNames.Published(pass_.VersionPath(at), version.volume, version.withVolume);
  }
  if (published.empty()) return;
  // One flush for the batch's old copies, before any of their updates is put in place.
  pass_.durableNames.Sync(fs_, threads_);
  for (const size_t at : published) {
    const PreparedCopy& version = outcomes_[at].version;
    const auto failure =
        pass_.durableNames.FailureOf(pass_.VersionPath(at), version.volume, version.withVolume);
    if (!failure) continue;
    outcomes_[at].copy.attempt = {CopyAttempt::Result::kCopyFailed, *failure};
    outcomes_[at].copy.copy.reset();
  }
}

}  // namespace qs
