#include "engine/restore_by_dates.h"

#include <map>
#include <vector>

#include "engine/file_copy.h"
#include "engine/held_copy.h"
#include "engine/version_store.h"
#include "log/log_time.h"
#include "os/error_text.h"

namespace qs {

namespace {

void RestoreOne(FileSystem& fs, const OperationLog& log, const std::string& dest,
                const std::string& relative, const KeptCopy& copy, RestoreTally* tally) {
  const std::string to = dest + relative;
  const CopyAttempt attempt = AttemptCopy(fs, copy.path, to);
  if (attempt.result == CopyAttempt::Result::kCopied) {
    ++tally->restored;
    return log("Restored: " + relative + " (from " +
               (copy.folder.empty() ? std::string("the current copy") : copy.folder) + ")");
  }
  ++tally->failed;
  log("Could not restore: " + relative + " " + ErrorCodeText(attempt.code));
}

void LeaveOut(const OperationLog& log, const std::string& relative, const HeldCopy& held,
              RestoreTally* tally) {
  ++tally->leftOut;
  switch (held.reason) {
    case LeftOutReason::kWrittenLater:
      return log("Left out, not yet in the backup at that moment: " + relative + " (written " +
                 FileTimeText(held.candidate->lastWrite) + ")");
    case LeftOutReason::kNoCopyThen:
      return log("Left out, no copy of it was current at that moment: " + relative);
    default:
      return log("Left out, only version folders hold it (see --versions): " + relative);
  }
}

void RestoreCopies(FileSystem& fs, const OperationLog& log, const std::string& dest,
                   const std::map<std::string, std::vector<KeptCopy>>& copies,
                   std::optional<FileTime> moment, WantedPaths* wanted, RestoreTally* tally) {
  wanted->found.assign(wanted->paths.size(), 0);
  wanted->restored.assign(wanted->paths.size(), 0);
  for (const auto& [relative, list] : copies) {
    if (!wanted->Wants(relative)) continue;
    const size_t index = wanted->Under(relative);
    if (index < wanted->paths.size()) ++wanted->found[index];
    const HeldCopy held = CopyHeldAt(fs, list, moment);
    if (held.copy == nullptr) {
      LeaveOut(log, relative, held, tally);
      continue;
    }
    const int before = tally->restored;
    RestoreOne(fs, log, dest, relative, *held.copy, tally);
    if (index < wanted->paths.size()) wanted->restored[index] += tally->restored - before;
  }
}

}  // namespace

void RestoreByDates(FileSystem& fs, const OperationLog& log, const VersionTarget& opened,
                    const std::string& dest, std::optional<FileTime> moment, WantedPaths* wanted,
                    RestoreTally* tally) {
  Unreadable unreadable;
  const auto copies = KeptCopies(fs, opened.folder, opened.versions, &unreadable);
  RestoreCopies(fs, log, dest, copies, moment, wanted, tally);
  ReportWanted(log, *wanted, tally);
  for (const auto& [dir, code] : unreadable) {
    ++tally->failed;
    log("Cannot list directory: " + dir + " " + ErrorCodeText(code));
  }
}

}  // namespace qs
