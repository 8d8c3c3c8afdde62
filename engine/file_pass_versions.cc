// The old copies of an update with time versioning: each one's name is on the disk before the
// update replaces the copy it was taken from. Names reach the disk in no set order unless
// flushed, so without this a crash could keep the new copy and lose the old one.
#include "engine/file_pass.h"

#include "engine/paths.h"

namespace qs {

bool FilePass::MakeVersionNameDurable(size_t index, Outcome& outcome) {
  const std::string root = WithoutTrailingSeparator(job_.options.targetRoot);
  for (std::string dir = ParentPath(VersionPath(index));; dir = ParentPath(dir)) {
    if (!fs_.SyncDirectory(dir)) {
      // Not counted as pending yet: no FailCopy.
      outcome.copy.attempt = {CopyAttempt::Result::kCopyFailed, fs_.LastErrorCode()};
      outcome.copy.copy.reset();
      return false;
    }
    if (dir.size() <= root.size() || !HasParent(dir)) return true;
  }
}

void FilePass::PublishVersionsOfBatch(size_t begin, size_t end) {
  std::string dir;
  for (size_t at = begin; at < end; ++at) {
    PreparedCopy& version = outcomes_[at].version;
    if (version.copy == nullptr || version.published) continue;
    version.published = version.copy->Publish();
    if (version.published) {
      dir = ParentPath(VersionPath(at));
    } else {
      FailCopy(version, fs_.LastErrorCode());  // reported as an old version not saved
    }
  }
  if (dir.empty() || fs_.SyncVolume(dir)) return;
  const uint32_t code = fs_.LastErrorCode();
  for (size_t at = begin; at < end; ++at)
    if (outcomes_[at].version.published) FailCopy(outcomes_[at].copy, code);
}

void FilePass::FailCopy(PreparedCopy& prepared, uint32_t code) {
  if (prepared.copy == nullptr) return;
  prepared.attempt = {CopyAttempt::Result::kCopyFailed, code};
  prepared.copy.reset();
  pending_.fetch_sub(1);
}

}  // namespace qs
