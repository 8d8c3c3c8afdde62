#include "engine/checked_restore.h"

#include <memory>
#include <vector>

#include "engine/file_copy.h"
#include "engine/file_hash.h"
#include "engine/paths.h"

namespace qs {

namespace {

CheckedRestore Outcome(CheckedRestore::Result result, uint32_t code = 0) {
  CheckedRestore outcome;
  outcome.result = result;
  outcome.code = code;
  return outcome;
}

/// Whether the copy at `from` holds the recorded bytes; kRestored when it does.
CheckedRestore Check(FileSystem& fs, const std::string& from, const RecordedFile& recorded) {
  CheckedRestore check;
  const PathInfo info = fs.Stat(from);
  if (info.kind == PathKind::Missing) return Outcome(CheckedRestore::Result::kMissing);
  if (info.kind != PathKind::File)
    return Outcome(CheckedRestore::Result::kFailed,
                   info.kind == PathKind::Unreadable ? fs.LastErrorCode() : 0);
  if (!recorded.hashKnown) {
    const bool same = info.size == recorded.size && info.lastWrite == recorded.lastWrite;
    if (!same) check.result = CheckedRestore::Result::kDiffers;
    return check;
  }
  uint64_t size = 0;
  if (!FileHashReader().Hash(fs, from, &check.found, &size, &check.code))
    return Outcome(CheckedRestore::Result::kFailed, check.code);
  check.hashRead = true;
  if (check.found != recorded.hash || size != recorded.size)
    check.result = CheckedRestore::Result::kDiffers;
  return check;
}

}  // namespace

CheckedRestore RestoreChecked(FileSystem& fs, const std::string& from, const std::string& to,
                              const RecordedFile& recorded) {
  CheckedRestore check = Check(fs, from, recorded);
  if (check.result != CheckedRestore::Result::kRestored) return check;
  // The copy below notices a source that changes while it is read, as a backup does.
  const CopyAttempt attempt = AttemptCopy(fs, from, to);
  if (attempt.result != CopyAttempt::Result::kCopied) {
    check.result = CheckedRestore::Result::kFailed;
    check.code = attempt.code;
  }
  return check;
}

CheckedRestore RestorePlanned(FileSystem& fs, const std::string& target_root,
                              const std::string& dest_root, const AsOfFile& file,
                              std::string* folder) {
  CheckedRestore last = Outcome(CheckedRestore::Result::kMissing);
  folder->clear();
  for (const std::string& kept : file.keptIn) {
    const std::string from =
        target_root + (kept.empty() ? "" : kept + kPathSeparator) + file.relative;
    last = RestoreChecked(fs, from, dest_root + file.relative, file.recorded);
    *folder = kept;
    if (last.result == CheckedRestore::Result::kRestored ||
        last.result == CheckedRestore::Result::kFailed)
      break;
  }
  return last;
}

}  // namespace qs
