#include "engine/restore_from_record.h"

#include "engine/checked_restore.h"

namespace qs {

namespace {

/// Why `file` cannot be restored from the copy `last` tried (in `folder`).
void ReportNotRestored(RunObserver& observer, const AsOfFile& file, const std::string& folder,
                       const CheckedRestore& last) {
  RunEvent event{.kind = RunEventKind::kNotRestored, .path = file.relative, .other = folder};
  CopyMismatch mismatch;
  switch (last.result) {
    case CheckedRestore::Result::kDiffers:
      mismatch = {last.hashRead, file.recorded.hash, last.found};
      event.kind = RunEventKind::kCopyDiffers;
      event.mismatch = &mismatch;
      break;
    case CheckedRestore::Result::kFailed:
      event.code = last.code;
      break;
    default:
      event.kind =
          file.keptIn.empty() ? RunEventKind::kNoLongerKept : RunEventKind::kKeptCopyMissing;
      event.other = file.keptIn.empty() ? std::string_view(file.prunedFolder) : std::string_view();
  }
  observer.OnRunEvent(event);
}

/// Restores one file, or names why it cannot.
bool RestoreFile(FileSystem& fs, RunObserver& observer, const std::string& target,
                 const std::string& dest, const AsOfFile& file) {
  std::string last_folder;
  const CheckedRestore last = RestorePlanned(fs, target, dest, file, &last_folder);
  if (last.result != CheckedRestore::Result::kRestored) {
    ReportNotRestored(observer, file, last_folder, last);
    return false;
  }
  observer.OnRunEvent(
      {.kind = RunEventKind::kRestored, .path = file.relative, .other = last_folder});
  return true;
}

}  // namespace

void RestoreFromRecord(FileSystem& fs, RunObserver& observer, const std::string& target,
                       const std::string& dest, const AsOfPlan& plan, WantedPaths* wanted,
                       RestoreTally* tally) {
  wanted->found.assign(wanted->paths.size(), 0);
  wanted->restored.assign(wanted->paths.size(), 0);
  for (const AsOfFile& file : plan.files) {
    if (!wanted->Wants(file.relative)) continue;
    const size_t index = wanted->Under(file.relative);
    if (index < wanted->paths.size()) ++wanted->found[index];
    if (!RestoreFile(fs, observer, target, dest, file)) {
      ++tally->failed;
      continue;
    }
    ++tally->restored;
    if (index < wanted->paths.size()) ++wanted->restored[index];
  }
}

}  // namespace qs
