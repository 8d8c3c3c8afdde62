// What the copy pipeline and the reporter of a file pass share, and the paths of a listed file
// below the roots.
#include "engine/file_pass.h"

#include <algorithm>

#include "engine/paths.h"

namespace qs {

namespace {

/// Where the target root lies, or the nearest folder above it that exists: the volume the
/// target's names will live on.
std::string NearestExistingFolder(FileSystem& fs, const std::string& target_root) {
  std::string dir = WithoutTrailingSeparator(target_root);
  while (!dir.empty() && fs.Probe(dir) != PathKind::Directory && HasParent(dir))
    dir = ParentPath(dir);
  return dir.empty() || fs.Probe(dir) != PathKind::Directory ? std::string() : dir;
}

}  // namespace

FilePass::FilePass(BackupJob& job, const FileList& list, RunRecord* record)
    : job(job),
      list(list),
      record(record),
      fs(job.fs()),
      versioning(job.options.timeVersioningOn),
      volumes(fs, !job.options.dryRun),
      versionFolder(fs, job.clock(), job.options.targetRoot, job.options.sourceRoot),
      durableNames(job.options.targetRoot),
      targetFolder(NearestExistingFolder(fs, job.options.targetRoot)) {
  // A target root this run makes must have its own name flushed, in the folder above it.
  durableNames.ExistedBefore(targetFolder);
  if (list.size() > 1 && ProbeCaseFolding(fs, targetFolder, !job.options.dryRun))
    collisions = FindNameCollisions(list, job.options.sourceRoot.size());
}

const NameCollision* FilePass::CollisionAt(size_t index) const {
  if (collisions.empty()) return nullptr;
  const auto at = std::lower_bound(
      collisions.begin(), collisions.end(), index,
      [](const NameCollision& collision, size_t value) { return collision.later < value; });
  return at != collisions.end() && at->later == index ? &*at : nullptr;
}

size_t FilePass::RelativeStart(size_t index) const {
  return std::min(job.options.sourceRoot.size(), list[index].path.size());
}

std::string_view FilePass::RelativePart(size_t index) const {
  return std::string_view(list[index].path).substr(RelativeStart(index));
}

std::string FilePass::TargetPath(size_t index) const {
  // Built in one piece: this runs for every file of every run.
  const std::string& path = list[index].path;
  std::string target;
  const std::string& root = job.options.targetRoot;
  target.reserve(root.size() + path.size() - RelativeStart(index));
  target.append(root).append(path, RelativeStart(index));
  return target;
}

std::string FilePass::VersionName(size_t index) const {
  std::string name(RelativePart(index));
  if (!name.empty() && name.front() == kPathSeparator) name.erase(0, 1);
  return name;
}

std::string FilePass::VersionPath(size_t index) {
  return versionFolder.Path() + kPathSeparator + VersionName(index);
}

}  // namespace qs
