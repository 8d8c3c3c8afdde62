#include "engine/outcome_reporter.h"

#include <optional>

#include "engine/file_times.h"
#include "engine/paths.h"

namespace qs {

void OutcomeReporter::OnOutcome(size_t index, const FileOutcome& outcome) {
  const std::string& path = pass_.list[index].path;
  switch (outcome.decision) {
    case CopyDecision::kSkip:
      // The record heard of it when it was decided.
      return events_.OnRunEvent(
          {.kind = RunEventKind::kSkipped, .path = path, .bytes = pass_.list[index].size});
    case CopyDecision::kCollision:
      events_.OnRunEvent({.kind = RunEventKind::kNameCollision,
                          .path = path,
                          .other = pass_.list[pass_.CollisionAt(index)->first].path});
      return ReportFailed(index);
    case CopyDecision::kNotAFile:
      ReportCopyAttempt(job_, outcome.copy.attempt, path, pass_.TargetPath(index));
      return ReportFailed(index);
    case CopyDecision::kNew:
    case CopyDecision::kUpdate:
      return ReportCopy(index, outcome);
  }
}

void OutcomeReporter::OnHandled(size_t files, uint64_t bytes) {
  events_.OnRunEvent({.kind = RunEventKind::kCopying, .count = files, .bytes = bytes});
}

void OutcomeReporter::ReportTimesNotKept(const std::string& folder) {
  events_.OnRunEvent({.kind = RunEventKind::kTimesNotKept, .path = folder});
}

void OutcomeReporter::ReportFailed(size_t index) {
  if (pass_.record != nullptr) pass_.record->Failed(pass_.RelativePart(index));
  const ListedFile& file = pass_.list[index];
  events_.OnRunEvent({.kind = RunEventKind::kFailed, .path = file.path, .bytes = file.size});
}

void OutcomeReporter::ReportCopy(size_t index, const FileOutcome& outcome) {
  ReportVersionFolderOnce();
  const std::string target_path = pass_.TargetPath(index);
  if (outcome.saveVersion && !ReportVersion(index, outcome, target_path))
    return ReportFailed(index);
  const std::string& path = pass_.list[index].path;
  const PreparedCopy& prepared = outcome.copy;
  if (!ReportCopyAttempt(job_, prepared.attempt, path, target_path) ||
      !ReportDurable(prepared, target_path))
    return ReportFailed(index);
  RecordCopy(index, outcome, target_path);
  const bool is_new = outcome.decision == CopyDecision::kNew;
  const std::string relative(pass_.RelativePart(index));
  events_.OnRunEvent({.kind = is_new ? RunEventKind::kCopied : RunEventKind::kUpdated,
                      .path = path,
                      .relative = relative,
                      .bytes = pass_.list[index].size,
                      .versioned = outcome.saveVersion});
  if (const uint32_t code = prepared.attributesNotKept) {
    events_.OnRunEvent(
        {.kind = RunEventKind::kAttributesNotKept, .path = target_path, .code = code});
  }
}

void OutcomeReporter::RecordCopy(size_t index, const FileOutcome& outcome,
                                 const std::string& target_path) {
  if (pass_.record == nullptr || !pass_.record->active()) return;
  CopiedContent content = outcome.copy.content ? *outcome.copy.content : CopiedContent();
  // The record keeps the copy's time as its volume keeps it.
  const TimeStep step = content.known
                            ? pass_.volumes.StepOf(outcome.copy.volume, ParentPath(target_path))
                            : kUnknownStep;
  if (step == kUnknownStep) {
    // Read back; a copy that does not say what it holds has no hash.
    const PathInfo info = pass_.fs.Stat(target_path);
    content = {true, info.size, info.lastWrite, content.known && content.hashKnown, content.hash};
  } else {
    content.lastWrite = CutDown(content.lastWrite, step);
  }
  pass_.record->Copied(pass_.RelativePart(index), content, outcome.saveVersion);
}

bool OutcomeReporter::ReportVersion(size_t index, const FileOutcome& outcome,
                                    const std::string& target_path) {
  const PreparedCopy& prepared = outcome.version;
  if (!prepared.published) {
    events_.OnRunEvent({.kind = RunEventKind::kVersionNotSaved, .path = target_path});
    return false;
  }
  if (!ReportDurable(prepared, pass_.VersionPath(index))) return false;
  const std::string name = pass_.VersionName(index);
  events_.OnRunEvent({.kind = RunEventKind::kVersionSaved, .path = target_path, .relative = name});
  return true;
}

bool OutcomeReporter::ReportDurable(const PreparedCopy& prepared, const std::string& path) {
  if (!prepared.published) return false;  // never put in place: its old version was not kept
  const std::optional<uint32_t> failure =
      pass_.durableNames.FailureOf(path, prepared.volume, prepared.withVolume);
  if (!failure) return true;
  events_.OnRunEvent({.kind = RunEventKind::kFlushFailed, .path = path, .code = *failure});
  return false;
}

void OutcomeReporter::ReportVersionFolderOnce() {
  VersionFolder& folder = pass_.versionFolder;
  if (!pass_.versioning || version_folder_reported_ || !folder.Attempted()) return;
  version_folder_reported_ = true;
  const std::string dir = folder.Path();
  if (folder.Ensure())
    return events_.OnRunEvent({.kind = RunEventKind::kVersionFolderMade, .path = dir});
  // Versioning fails for this run only: the next run of the same job tries again.
  events_.OnRunEvent(
      {.kind = RunEventKind::kVersionFolderFailed, .path = dir, .code = folder.ErrorCode()});
}

}  // namespace qs
