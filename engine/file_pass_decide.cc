// One file's decision and its copies, on whichever file thread claimed it: what the target
// holds, whether the source is newer, and the copies made ahead into temporary files. With
// time versioning an update is copied only once its old version is, so that an old copy is
// never replaced unless it is kept.
#include <algorithm>

#include "engine/file_pass.h"
#include "engine/file_times.h"
#include "engine/paths.h"

namespace qs {

namespace {

/// True when `target_path` lies right in the directory this thread made in this run.
bool InDirectoryMadeByThisRun(const std::string& target_path, const KnownDirectory& known) {
  const std::string& dir = known.path;
  return known.made && !dir.empty() && target_path.size() > dir.size() + 1 &&
         target_path.compare(0, dir.size(), dir) == 0 &&
         target_path[dir.size()] == kPathSeparator &&
         target_path.find(kPathSeparator, dir.size() + 1) == std::string::npos;
}

/// Waiting to be put in place, by this thread when `ahead` (a copy flushed on its own).
bool Due(const PreparedCopy& prepared, bool ahead) {
  return prepared.copy != nullptr && !prepared.published &&
         (!ahead || !prepared.copy->FlushedWithVolume());
}

}  // namespace

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

std::string_view FilePass::RelativePart(size_t index) const {
  return std::string_view(list_[index].path).substr(RelativeStart(index));
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

std::string FilePass::VersionName(size_t index) const {
  std::string name(RelativePart(index));
  if (!name.empty() && name.front() == kPathSeparator) name.erase(0, 1);
  return name;
}

std::string FilePass::VersionPath(size_t index) {
  return version_folder_.Path() + kPathSeparator + VersionName(index);
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
  handled_bytes_.fetch_add(list_[index].size);
  handled_files_.fetch_add(1);
  outcome.ready.store(1, std::memory_order_release);
}

void FilePass::LearnTimeKeeping() {
  if (time_probe_folder_.empty()) return;  // a dry run, which may not write the probe
  std::call_once(time_keeping_learnt_, [this] {
    const std::string& folder = time_probe_folder_;
    if (!volumes_.KeepingOf(fs_.Stat(folder).volume, folder).kept) times_dropped_ = true;
  });
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
  const Decision by_times = DecideByTimes(source, target, target_path);
  if (by_times != Decision::kSkip || record_ == nullptr) return by_times;
  // The file decided before is most likely in the same folder: its entry is close by.
  const RecordedFile* near =
      index > 0 && IsReady(index - 1) ? outcomes_[index - 1].recorded : nullptr;
  const RecordedFile* entry = record_->Recorded(RelativePart(index), near);
  outcomes_[index].recorded = entry;
  // A file back under a name it had before is judged by the copy left from then.
  const RecordedFile* judged =
      entry != nullptr ? entry : record_->RecordedEarlier(RelativePart(index));
  if (ReplacedSinceRecorded(index, judged, source, target, target_path)) return Decision::kUpdate;
  // A skip is final: the record hears of it here, so that no outcome has to carry the copy's
  // size and times to the report.
  record_->Skipped(RelativePart(index), entry, target.size, target.lastWrite, source);
  return Decision::kSkip;
}

FilePass::Decision FilePass::DecideByTimes(FileTime source, const PathInfo& target,
                                           const std::string& target_path) {
  // A copy newer than its source: edited in the target, or dated by a volume that drops times.
  if (source < target.lastWrite) LearnTimeKeeping();
  if (source <= target.lastWrite) return Decision::kSkip;
  if (!MayBeCoarseCopyOf(target.lastWrite, source)) return Decision::kUpdate;
  // Only here does it matter how finely the target's volume keeps times.
  const TimeStep step = volumes_.StepOf(target.volume, ParentPath(target_path));
  return SourceIsNewer(source, target.lastWrite, step) ? Decision::kUpdate : Decision::kSkip;
}

bool FilePass::ReplacedSinceRecorded(size_t index, const RecordedFile* entry, FileTime source,
                                     const PathInfo& target, const std::string& target_path) {
  // A copy that is no longer the one recorded was changed in the target: it stays. So does
  // one the record only found in place (no hash): nothing says the source made it.
  if (entry == nullptr || !entry->hashKnown || entry->size != target.size ||
      entry->lastWrite != target.lastWrite)
    return false;
  const uint64_t listed_size = list_[index].size;  // 0 when neither listed nor measured
  if (listed_size != 0 && listed_size != entry->size) return true;
  if (source == entry->lastWrite) return false;
  // The recorded time is the copy's, as its volume keeps it: a source it is a cut-down copy
  // of is the same file.
  if (!MayBeCoarseCopyOf(entry->lastWrite, source)) return true;
  const TimeStep step = volumes_.StepOf(target.volume, ParentPath(target_path));
  return SourceIsNewer(source, entry->lastWrite, step);
}

void FilePass::PrepareCopies(Outcome& outcome, size_t index, const std::string& target_path,
                             KnownDirectory* known_directory) {
  LearnTimeKeeping();  // before the first copy: whether the times set on copies are kept
  if (outcome.decision == Decision::kNotAFile) {
    // Refused with the file system's own code; the item there stays untouched.
    if (!fs_.CheckCopyTarget(target_path)) {
      outcome.copy.attempt = {CopyAttempt::Result::kCopyFailed, fs_.LastErrorCode()};
      return;
    }
    outcome.decision = Decision::kNew;  // it went away meanwhile: a new file after all
  }
  const bool folder = versioning_ && version_folder_.Ensure();
  if (versioning_ && outcome.decision == Decision::kUpdate) {
    // The old copy is kept only if it is this file's: a volume that ignores case may have
    // found another spelling's. The copy is refused then too.
    if (!fs_.IsStoredUnderItsName(target_path)) {
      outcome.copy.attempt = {CopyAttempt::Result::kCopyFailed, fs_.LastErrorCode()};
      return;
    }
    outcome.saveVersion = true;
    // No old version, no update: the old copy stays, and the next run tries again.
    if (!folder || !PrepareVersion(outcome, index, target_path)) return;
  }
  outcome.copy = PrepareCopy(fs_, list_[index].path, target_path, known_directory);
  if (outcome.copy.attempt.code == kErrorSourceChanged) {
    // Nothing is put in place for a file that kept changing, not even the old copy's version.
    outcome.saveVersion = false;
    outcome.version = {};
  }
  FlushAlone(outcome.copy);
  // A copy flushed on its own is durable now: put it in place here, on this thread, so that a
  // slow target has many of them in flight.
  PublishCopies(outcome, index, true);
  outcome.pending =
      static_cast<uint8_t>((outcome.copy.copy ? 1 : 0) + (outcome.version.copy ? 1 : 0));
  pending_.fetch_add(outcome.pending);
}

bool FilePass::PrepareVersion(Outcome& outcome, size_t index, const std::string& target_path) {
  outcome.version = PrepareCopy(fs_, target_path, VersionPath(index), nullptr);
  outcome.version.keepsExisting = true;  // nothing in a version folder is written over
  FlushAlone(outcome.version);
  return outcome.version.copy != nullptr;
}

void FilePass::FlushAlone(PreparedCopy& prepared) {
  if (prepared.copy == nullptr || prepared.copy->FlushedWithVolume()) return;
  if (prepared.copy->Flush()) return;
  prepared.attempt = {CopyAttempt::Result::kCopyFailed, fs_.LastErrorCode()};
  prepared.copy.reset();
}

void FilePass::PublishCopies(Outcome& outcome, size_t index, bool ahead) {
  PreparedCopy& version = outcome.version;
  const bool version_now = Due(version, ahead);
  if (version_now) version.Publish(fs_);
  if (outcome.saveVersion && !version.published) {
    if (version.copy == nullptr) outcome.copy.copy.reset();  // not kept: the old copy stays
    return;
  }
  if (version_now && !MakeVersionNameDurable(index, outcome)) return;
  if (Due(outcome.copy, ahead)) outcome.copy.Publish(fs_);
}

}  // namespace qs
