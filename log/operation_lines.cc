#include "log/operation_lines.h"

#include <optional>

#include "log/log_time.h"
#include "os/error_text.h"

namespace qs {

namespace {

using Line = std::optional<std::string>;

std::string WithCode(const std::string& text, const RunEvent& event) {
  return text + " " + ErrorCodeText(event.code);
}

std::string FromText(std::string_view folder) {
  return folder.empty() ? std::string("the current copy") : std::string(folder);
}

Line RecordLine(const RunEvent& event, const std::string& path) {
  switch (event.kind) {
    case RunEventKind::kRecordDamagedEnd:
      return "The record of the runs has a damaged end, which is left out: " + path;
    case RunEventKind::kRecordUnreadable:
      return "The record of the runs cannot be read, so this operation goes without it: " + path +
             (event.code ? ". " + ErrorCodeText(event.code) : "");
    case RunEventKind::kRecordForeign:
      return "The record's file was not written by Quillstone and is left alone, so this "
             "operation goes without a record: " +
             path;
    case RunEventKind::kNoRecordKept:
      return std::string(kNoRecordNotice);
    default:
      return std::nullopt;
  }
}

Line PruneLine(const RunEvent& event, const std::string& path) {
  switch (event.kind) {
    case RunEventKind::kPruneNotRecorded:
      return WithCode("Could not keep the prune in the record of the runs: " + path, event);
    case RunEventKind::kMountedLeftWhole:
      return "Not removed, another file system is mounted here: " + path;
    case RunEventKind::kVersionFolderRemoved:
      return "Version folder removed: " + path;
    case RunEventKind::kVersionFolderWouldGo:
      return "Version folder would be removed: " + path;
    case RunEventKind::kLeftoverRemoved:
      return "Leftover of an interrupted removal removed: " + path;
    case RunEventKind::kLeftoverWouldGo:
      return "Leftover of an interrupted removal would be removed: " + path;
    case RunEventKind::kVersionFolderNotRemoved:
      return WithCode("Could not remove version folder: " + path, event);
    case RunEventKind::kRemovalIncomplete:
      return WithCode(
          "Could not remove completely: " + path + " (" + std::string(event.other) + ")", event);
    case RunEventKind::kNoKeepRule:
      return std::string("No --keep rule given: no version folder removed.");
    default:
      return std::nullopt;
  }
}

void PruneEnd(const PruneCounts& counts, const LineSink& sink) {
  sink("Pruning completed: " + std::to_string(counts.removed) + " removed, " +
       std::to_string(counts.failed) + " failed.");
  const std::string bytes = std::to_string(counts.bytes) + " bytes.";
  sink((counts.dryRun ? "Space that would be freed: " : "Space freed: ") + bytes);
  if (counts.dryRun) sink("Dry run: nothing was written.");
}

std::string LeftOutLine(const RunEvent& event, const std::string& path) {
  switch (event.reason) {
    case LeftOutReason::kWrittenLater:
      return "Left out, not yet in the backup at that moment: " + path + " (written " +
             FileTimeText(event.moment) + ")";
    case LeftOutReason::kNoCopyThen:
      return "Left out, no copy of it was current at that moment: " + path;
    default:
      return "Left out, only version folders hold it (see --versions): " + path;
  }
}

std::string DiffersLine(const RunEvent& event, const std::string& path) {
  const CopyMismatch& m = *event.mismatch;
  const std::string what = m.hashRead
                               ? "recorded hash " + m.recorded.Hex() + ", found " + m.found.Hex()
                               : "its size or last-write time is not the recorded one";
  return "Not restored, the copy's bytes differ from the record: " + path + " (" +
         FromText(event.other) + ": " + what + ")";
}

std::string NoLongerLine(const std::string& path, const std::string& why) {
  return "Can no longer be restored as of that moment: " + path + " (" + why + ")";
}

Line RestoreFileLine(const RunEvent& event, const std::string& path) {
  switch (event.kind) {
    case RunEventKind::kRestored:
      return "Restored: " + path + " (from " + FromText(event.other) + ")";
    case RunEventKind::kNotRestored:
      return WithCode("Could not restore: " + path, event);
    case RunEventKind::kLeftOut:
      return LeftOutLine(event, path);
    case RunEventKind::kCopyDiffers:
      return DiffersLine(event, path);
    case RunEventKind::kNoLongerKept:
      return NoLongerLine(path,
                          event.other.empty()
                              ? "its copy was replaced without a version saved"
                              : "the version folder " + std::string(event.other) + " was pruned");
    case RunEventKind::kKeptCopyMissing:
      return NoLongerLine(path, "its copy is missing from TARGET");
    default:
      return std::nullopt;
  }
}

Line RestoreLine(const RunEvent& event, const std::string& path) {
  switch (event.kind) {
    case RunEventKind::kMomentBeforeFirstRun:
      return "The moment is before the first run the record holds, which ended " +
             FileTimeText(event.moment) + ": the dates of the version folders decide what is " +
             "restored.";
    case RunEventKind::kRestoringAsOfRun:
      return "Restoring the tree as the run that ended " + FileTimeText(event.moment) +
             " saw the source.";
    case RunEventKind::kNothingKeptUnder:
      return "Nothing is kept under: " + path;
    case RunEventKind::kNothingRestoredOf:
      return "Nothing restored of: " + path;
    case RunEventKind::kDirectoryUnlisted:
      return WithCode("Cannot list directory: " + path, event);
    case RunEventKind::kRestoreCompleted:
      return "Restore completed: " + std::to_string(event.restore->restored) + " restored, " +
             std::to_string(event.restore->leftOut) + " left out, " +
             std::to_string(event.restore->failed) + " failed.";
    default:
      return RestoreFileLine(event, path);
  }
}

}  // namespace

std::string RecordNotKeptText(const std::string& journal_path, uint32_t code) {
  return "The record of the runs could not be written: " + journal_path + " " + ErrorCodeText(code);
}

void OperationLinesOf(const RunEvent& event, const LineSink& sink) {
  if (event.kind == RunEventKind::kPruneCompleted) return PruneEnd(*event.prune, sink);
  const std::string path(event.path);
  Line line = RecordLine(event, path);
  if (!line) line = PruneLine(event, path);
  if (!line) line = RestoreLine(event, path);
  if (line) sink(*line);
}

}  // namespace qs
