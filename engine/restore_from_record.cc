#include "engine/restore_from_record.h"

#include "engine/checked_restore.h"
#include "os/error_text.h"

namespace qs {

namespace {

std::string FromText(const std::string& folder) {
  return folder.empty() ? std::string("the current copy") : folder;
}

/// Why no copy of `file` is kept any more.
std::string LostLine(const AsOfFile& file) {
  const std::string why = file.prunedFolder.empty()
                              ? "its copy was replaced without a version saved"
                              : "the version folder " + file.prunedFolder + " was pruned";
  return "Can no longer be restored as of that moment: " + file.relative + " (" + why + ")";
}

std::string DiffersLine(const AsOfFile& file, const std::string& folder,
                        const CheckedRestore& check) {
  const std::string what =
      check.hashRead ? "recorded hash " + file.recorded.hash.Hex() + ", found " + check.found.Hex()
                     : "its size or last-write time is not the recorded one";
  return "Not restored, the copy's bytes differ from the record: " + file.relative + " (" +
         FromText(folder) + ": " + what + ")";
}

/// Restores one file, or names why it cannot.
bool RestoreFile(FileSystem& fs, const OperationLog& log, const std::string& target,
                 const std::string& dest, const AsOfFile& file) {
  std::string last_folder;
  const CheckedRestore last = RestorePlanned(fs, target, dest, file, &last_folder);
  if (last.result == CheckedRestore::Result::kRestored) {
    log("Restored: " + file.relative + " (from " + FromText(last_folder) + ")");
    return true;
  }
  switch (last.result) {
    case CheckedRestore::Result::kDiffers:
      log(DiffersLine(file, last_folder, last));
      break;
    case CheckedRestore::Result::kFailed:
      log("Could not restore: " + file.relative + " " + ErrorCodeText(last.code));
      break;
    default:
      log(file.keptIn.empty() ? LostLine(file)
                              : "Can no longer be restored as of that moment: " + file.relative +
                                    " (its copy is missing from TARGET)");
  }
  return false;
}

}  // namespace

void RestoreFromRecord(FileSystem& fs, const OperationLog& log, const std::string& target,
                       const std::string& dest, const AsOfPlan& plan, WantedPaths* wanted,
                       RestoreTally* tally) {
  wanted->found.assign(wanted->paths.size(), 0);
  wanted->restored.assign(wanted->paths.size(), 0);
  for (const AsOfFile& file : plan.files) {
    if (!wanted->Wants(file.relative)) continue;
    const size_t index = wanted->Under(file.relative);
    if (index < wanted->paths.size()) ++wanted->found[index];
    if (!RestoreFile(fs, log, target, dest, file)) {
      ++tally->failed;
      continue;
    }
    ++tally->restored;
    if (index < wanted->paths.size()) ++wanted->restored[index];
  }
}

}  // namespace qs
