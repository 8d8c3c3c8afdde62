// One file on whichever file thread claimed it: the facts its decision is made from (what the
// target holds, the source's time, the record), and the copies made ahead into temporary files.
// With time versioning an update is copied only once its old version is, so that an old copy is
// never replaced unless it is kept.
#include <algorithm>

#include "engine/copy_pipeline.h"
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

/// The target volume's step, asked of the volumes only when a decision turns on it.
class StepOfCopy final : public TimeStepOfTarget {
 public:
  StepOfCopy(TargetVolumes& volumes, const PathInfo& target, const std::string& target_path)
      : volumes_(volumes), target_(target), target_path_(target_path) {}
  TimeStep Step() override { return volumes_.StepOf(target_.volume, ParentPath(target_path_)); }

 private:
  TargetVolumes& volumes_;
  const PathInfo& target_;
  const std::string& target_path_;
};

}  // namespace

void CopyPipeline::Decide(size_t index, KnownDirectory* known_directory) {
  FileOutcome& outcome = outcomes_[index];
  const std::string target_path = pass_.TargetPath(index);
  if (pass_.CollisionAt(index) != nullptr)
    outcome.decision = CopyDecision::kCollision;
  else if (InDirectoryMadeByThisRun(target_path, *known_directory))
    outcome.decision = CopyDecision::kNew;  // nothing to look up: the run made its directory
  else
    outcome.decision = DecideOn(index, target_path);
  if (outcome.decision != CopyDecision::kSkip && outcome.decision != CopyDecision::kCollision)
    PrepareCopies(outcome, index, target_path, known_directory);
  handled_bytes_.fetch_add(list_[index].size);
  handled_files_.fetch_add(1);
  outcome.ready.store(1, std::memory_order_release);
}

void CopyPipeline::LearnTimeKeeping() {
  if (time_probe_folder_.empty()) return;  // a dry run, which may not write the probe
  std::call_once(time_keeping_learnt_, [this] {
    const std::string& folder = time_probe_folder_;
    if (!pass_.volumes.KeepingOf(fs_.Stat(folder).volume, folder).kept) times_dropped_ = true;
  });
}

CopyDecision CopyPipeline::DecideOn(size_t index, const std::string& target_path) {
  const ListedFile& file = list_[index];
  CopyFacts facts{
      .source = file.lastWrite, .listedSize = file.size, .target = fs_.Stat(target_path)};
  StepOfCopy step(pass_.volumes, facts.target, target_path);
  if (facts.target.kind == PathKind::File) {
    if (facts.source == kUnknownTime) facts.source = fs_.Stat(file.path).lastWrite;
    // A copy newer than its source: edited in the target, or dated by a volume that drops
    // times.
    if (facts.source < facts.target.lastWrite) LearnTimeKeeping();
  }
  const CopyDecision by_times = DecideByTimes(facts, step);
  if (by_times != CopyDecision::kSkip || pass_.record == nullptr) return by_times;
  return DecideByRecord(index, facts, step);
}

CopyDecision CopyPipeline::DecideByRecord(size_t index, const CopyFacts& facts,
                                          TimeStepOfTarget& step) {
  RunRecord& record = *pass_.record;
  const std::string_view relative = pass_.RelativePart(index);
  // The file decided before is most likely in the same folder: its entry is close by.
  const RecordedFile* near =
      index > 0 && IsReady(index - 1) ? outcomes_[index - 1].recorded : nullptr;
  const RecordedFile* entry = record.Recorded(relative, near);
  outcomes_[index].recorded = entry;
  // A file back under a name it had before is judged by the copy left from then.
  const RecordedFile* judged = entry != nullptr ? entry : record.RecordedEarlier(relative);
  if (ReplacedSinceRecorded(facts, judged, step)) return CopyDecision::kUpdate;
  // A skip is final: the record hears of it here, so that no outcome has to carry the copy's
  // size and times to the report.
  record.Skipped(relative, entry, facts.target.size, facts.target.lastWrite, facts.source);
  return CopyDecision::kSkip;
}

void CopyPipeline::PrepareCopies(FileOutcome& outcome, size_t index, const std::string& target_path,
                                 KnownDirectory* known_directory) {
  LearnTimeKeeping();  // before the first copy: whether the times set on copies are kept
  if (outcome.decision == CopyDecision::kNotAFile) {
    // Refused with the file system's own code; the item there stays untouched.
    if (!fs_.CheckCopyTarget(target_path)) {
      outcome.copy.attempt = {CopyAttempt::Result::kCopyFailed, fs_.LastErrorCode()};
      return;
    }
    outcome.decision = CopyDecision::kNew;  // it went away meanwhile: a new file after all
  }
  const bool folder = pass_.versioning && pass_.versionFolder.Ensure();
  if (pass_.versioning && outcome.decision == CopyDecision::kUpdate) {
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

bool CopyPipeline::PrepareVersion(FileOutcome& outcome, size_t index,
                                  const std::string& target_path) {
  outcome.version = PrepareCopy(fs_, target_path, pass_.VersionPath(index), nullptr);
  outcome.version.keepsExisting = true;  // nothing in a version folder is written over
  FlushAlone(outcome.version);
  return outcome.version.copy != nullptr;
}

void CopyPipeline::FlushAlone(PreparedCopy& prepared) {
  if (prepared.copy == nullptr || prepared.copy->FlushedWithVolume()) return;
  if (prepared.copy->Flush()) return;
  prepared.attempt = {CopyAttempt::Result::kCopyFailed, fs_.LastErrorCode()};
  prepared.copy.reset();
}

void CopyPipeline::PublishCopies(FileOutcome& outcome, size_t index, bool ahead) {
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
