// The lines and counters of each file, in list order, once its batch is in place: a file is
// counted copied or updated only when its copy, and its old version, are in place and their
// names durable; otherwise its own failure lines say why.
#include <optional>

#include "engine/file_pass.h"
#include "engine/file_times.h"
#include "engine/paths.h"

namespace qs {

void FilePass::Report(size_t index) {
  const Outcome& outcome = outcomes_[index];
  const std::string& path = list_[index].path;
  switch (outcome.decision) {
    case Decision::kSkip:
      ++job_.results.counters.skipped;  // the record heard of it when it was decided
      return job_.Report(
          {.kind = RunEventKind::kSkipped, .path = path, .bytes = list_[index].size});
    case Decision::kCollision:
      job_.Report({.kind = RunEventKind::kNameCollision,
                   .path = path,
                   .other = list_[CollisionAt(index)->first].path});
      return ReportFailed(index);
    case Decision::kNotAFile:
      ReportCopyAttempt(job_, outcome.copy.attempt, path, TargetPath(index));
      return ReportFailed(index);
    case Decision::kNew:
    case Decision::kUpdate:
      return ReportCopy(index);
  }
}

void FilePass::ReportFailed(size_t index) {
  ++job_.results.counters.failed;
  if (record_ != nullptr) record_->Failed(RelativePart(index));
  job_.Report(
      {.kind = RunEventKind::kFailed, .path = list_[index].path, .bytes = list_[index].size});
}

void FilePass::ReportCopy(size_t index) {
  ReportVersionFolderOnce();
  const Outcome& outcome = outcomes_[index];
  const std::string target_path = TargetPath(index);
  if (outcome.saveVersion && !ReportVersion(index, target_path)) return ReportFailed(index);
  const std::string& path = list_[index].path;
  const PreparedCopy& prepared = outcome.copy;
  if (!ReportCopyAttempt(job_, prepared.attempt, path, target_path) ||
      !ReportDurable(prepared, target_path))
    return ReportFailed(index);
  RecordCopy(index, target_path);
  const bool is_new = outcome.decision == Decision::kNew;
  ++(is_new ? job_.results.counters.copied : job_.results.counters.updated);
  const std::string relative(RelativePart(index));
  job_.Report({.kind = is_new ? RunEventKind::kCopied : RunEventKind::kUpdated,
               .path = path,
               .relative = relative,
               .bytes = list_[index].size,
               .versioned = outcome.saveVersion});
  if (const uint32_t code = prepared.attributesNotKept) {
    job_.Report({.kind = RunEventKind::kAttributesNotKept, .path = target_path, .code = code});
  }
}

void FilePass::RecordCopy(size_t index, const std::string& target_path) {
  if (record_ == nullptr || !record_->active()) return;
  const Outcome& outcome = outcomes_[index];
  CopiedContent content = outcome.copy.content ? *outcome.copy.content : CopiedContent();
  // The record keeps the copy's time as its volume keeps it.
  const TimeStep step =
      content.known ? volumes_.StepOf(outcome.copy.volume, ParentPath(target_path)) : kUnknownStep;
  if (step == kUnknownStep) {
    // Read back; a copy that does not say what it holds has no hash.
    const PathInfo info = fs_.Stat(target_path);
    content = {true, info.size, info.lastWrite, content.known && content.hashKnown, content.hash};
  } else {
    content.lastWrite = CutDown(content.lastWrite, step);
  }
  record_->Copied(RelativePart(index), content, outcome.saveVersion);
}

bool FilePass::ReportVersion(size_t index, const std::string& target_path) {
  const PreparedCopy& prepared = outcomes_[index].version;
  if (!prepared.published) {
    ++job_.results.timeVersionFailures;
    job_.Report({.kind = RunEventKind::kVersionNotSaved, .path = target_path});
    return false;
  }
  if (!ReportDurable(prepared, VersionPath(index))) return false;
  const std::string name = VersionName(index);
  ++job_.results.counters.timeVersioned;
  job_.Report({.kind = RunEventKind::kVersionSaved, .path = target_path, .relative = name});
  return true;
}

bool FilePass::ReportDurable(const PreparedCopy& prepared, const std::string& path) {
  if (!prepared.published) return false;  // never put in place: its old version was not kept
  const std::optional<uint32_t> failure =
      durable_names_.FailureOf(path, prepared.volume, prepared.withVolume);
  if (!failure) return true;
  ++job_.results.flushFailures;
  job_.Report({.kind = RunEventKind::kFlushFailed, .path = path, .code = *failure});
  return false;
}

void FilePass::ReportVersionFolderOnce() {
  if (!versioning_ || version_folder_reported_ || !version_folder_.Attempted()) return;
  version_folder_reported_ = true;
  job_.results.versionDir = version_folder_.Path();
  const std::string& dir = job_.results.versionDir;
  if (version_folder_.Ensure()) {
    job_.results.versionFolderMade = true;
    return job_.Report({.kind = RunEventKind::kVersionFolderMade, .path = dir});
  }
  // Versioning fails for this run only: the next run of the same job tries again.
  ++job_.results.timeVersionFailures;
  job_.Report({.kind = RunEventKind::kVersionFolderFailed,
               .path = dir,
               .code = version_folder_.ErrorCode()});
}

}  // namespace qs
