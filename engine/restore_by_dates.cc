#include "engine/restore_by_dates.h"

#include <map>
#include <vector>

#include "engine/file_copy.h"
#include "engine/held_copy.h"
#include "engine/version_store.h"

namespace qs {

namespace {

void RestoreOne(FileSystem& fs, RunObserver& observer, const std::string& dest,
                const std::string& relative, const KeptCopy& copy, RestoreTally* tally) {
  const std::string to = dest + relative;
  const CopyAttempt attempt = AttemptCopy(fs, copy.path, to);
  if (attempt.result == CopyAttempt::Result::kCopied) {
    ++tally->restored;
    return observer.OnRunEvent(
        {.kind = RunEventKind::kRestored, .path = relative, .other = copy.folder});
  }
  ++tally->failed;
  observer.OnRunEvent({.kind = RunEventKind::kNotRestored, .path = relative, .code = attempt.code});
}

void LeaveOut(RunObserver& observer, const std::string& relative, const HeldCopy& held,
              RestoreTally* tally) {
  ++tally->leftOut;
  RunEvent event{.kind = RunEventKind::kLeftOut, .path = relative, .reason = held.reason};
  if (held.reason == LeftOutReason::kWrittenLater) event.moment = held.candidate->lastWrite;
  observer.OnRunEvent(event);
}

void RestoreCopies(FileSystem& fs, RunObserver& observer, const std::string& dest,
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
      LeaveOut(observer, relative, held, tally);
      continue;
    }
    const int before = tally->restored;
    RestoreOne(fs, observer, dest, relative, *held.copy, tally);
    if (index < wanted->paths.size()) wanted->restored[index] += tally->restored - before;
  }
}

}  // namespace

void RestoreByDates(FileSystem& fs, RunObserver& observer, const VersionTarget& opened,
                    const std::string& dest, std::optional<FileTime> moment, WantedPaths* wanted,
                    RestoreTally* tally) {
  Unreadable unreadable;
  const auto copies = KeptCopies(fs, opened.folder, opened.versions, &unreadable);
  RestoreCopies(fs, observer, dest, copies, moment, wanted, tally);
  ReportWanted(observer, *wanted, tally);
  for (const auto& [dir, code] : unreadable) {
    ++tally->failed;
    observer.OnRunEvent({.kind = RunEventKind::kDirectoryUnlisted, .path = dir, .code = code});
  }
}

}  // namespace qs
