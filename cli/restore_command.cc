// A restore reads the target and writes only below DEST, which must hold nothing yet: a
// restore never mixes old copies into a tree that is in use. Every file it leaves out is
// named with the reason, so that a missing file is never a silent one.
#include "cli/restore_command.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>

#include "cli/version_target.h"
#include "engine/file_copy.h"
#include "engine/held_copy.h"
#include "engine/paths.h"
#include "engine/version_store.h"
#include "log/log_time.h"
#include "platform/error_text.h"

namespace qs {

namespace {

bool Inside(const std::string& relative, const std::string& wanted) {
  return relative == wanted ||
         (relative.size() > wanted.size() && relative.compare(0, wanted.size(), wanted) == 0 &&
          relative[wanted.size()] == kPathSeparator);
}

/// True when `dest` (or, when it does not exist yet, the folder it would be made in) lies
/// inside the target: a restore must never write there.
bool InsideTarget(FileSystem& fs, const std::string& target, std::string dest) {
  DirectoryId target_id, id;
  if (!fs.IdentifyDirectory(WithoutTrailingSeparator(target), &target_id)) return false;
  for (dest = WithoutTrailingSeparator(dest); !dest.empty(); dest = ParentPath(dest)) {
    if (fs.IdentifyDirectory(dest, &id) && id == target_id) return true;
    if (!HasParent(dest)) break;
  }
  return false;
}

/// The reason DEST cannot take a restore, or "" when it can.
std::string CheckDest(FileSystem& fs, const std::string& target, const std::string& dest) {
  const PathKind kind = fs.Probe(dest);
  if (kind != PathKind::Missing && kind != PathKind::Directory)
    return "DEST is not a folder: " + dest;
  DirListing listing;
  if (kind == PathKind::Directory &&
      (!fs.ListDirectory(dest, &listing) || !listing.entries.empty()))
    return "DEST is not empty: " + dest;
  if (InsideTarget(fs, target, dest))
    return "DEST lies inside TARGET, which a restore never writes";
  return "";
}

/// The moment of --as-of; false with the reason when it names none.
bool ReadMoment(const RunArgs& args, std::optional<FileTime>* moment, std::string* why) {
  if (!args.hasAsOf) return true;
  int64_t seconds = 0;
  if (!FromLocalTime(args.asOf, &seconds)) {
    const LocalTime& t = args.asOf;
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    *why = "the --as-of time " + std::string(text) +
           " does not exist in local time (the clocks skipped it)";
    return false;
  }
  *moment = FileTime{seconds, 0};
  return true;
}

struct Tally {
  int restored = 0, leftOut = 0, failed = 0;
};

void RestoreOne(const RunnerContext& context, const std::string& dest, const std::string& relative,
                const KeptCopy& copy, Tally* tally) {
  const std::string to = dest + relative;
  const CopyAttempt attempt = AttemptCopy(context.fs, copy.path, to);
  if (attempt.result == CopyAttempt::Result::kCopied) {
    ++tally->restored;
    return context.Log("Restored: " + relative + " (from " +
                       (copy.folder.empty() ? std::string("the current copy") : copy.folder) + ")");
  }
  ++tally->failed;
  context.Log("Could not restore: " + relative + " " + ErrorCodeText(attempt.code));
}

void LeaveOut(const RunnerContext& context, const std::string& relative, const HeldCopy& held,
              Tally* tally) {
  ++tally->leftOut;
  switch (held.reason) {
    case LeftOutReason::kWrittenLater:
      return context.Log("Left out, not yet in the backup at that moment: " + relative +
                         " (written " + FileTimeText(held.candidate->lastWrite) + ")");
    case LeftOutReason::kNoCopyThen:
      return context.Log("Left out, no copy of it was current at that moment: " + relative);
    default:
      return context.Log("Left out, only version folders hold it (see --versions): " + relative);
  }
}

/// The PATHs below the roots; false with the usage message when one is no such path.
bool ReadWanted(const RunArgs& args, std::vector<std::string>* wanted, std::string* why) {
  for (const std::string& typed : args.paths) {
    std::string relative;
    if (!ReadPathBelowRoots(typed, &relative, why)) return false;
    wanted->push_back(relative);
  }
  return true;
}

/// What became of each PATH: nothing kept under it, or nothing of it restored, fails it.
void ReportWanted(const RunnerContext& context, const std::vector<std::string>& wanted,
                  const std::vector<int>& found, const std::vector<int>& restored, Tally* tally,
                  bool* any_lost) {
  for (size_t i = 0; i < wanted.size(); ++i) {
    if (found[i] == 0) {
      ++tally->failed;
      context.Log("Nothing is kept under: " + wanted[i]);
    } else if (restored[i] == 0) {
      *any_lost = true;
      context.Log("Nothing restored of: " + wanted[i]);
    }
  }
}

/// The PATHs asked for, and how many files each found and restored.
struct Wanted {
  std::vector<std::string> paths;
  std::vector<int> found, restored;
};

/// Restores (or leaves out, naming why) every kept file, or those below the PATHs asked for.
void RestoreCopies(const RunnerContext& context, const std::string& dest,
                   const std::map<std::string, std::vector<KeptCopy>>& copies,
                   std::optional<FileTime> moment, Wanted* wanted, Tally* tally) {
  wanted->found.assign(wanted->paths.size(), 0);
  wanted->restored.assign(wanted->paths.size(), 0);
  for (const auto& [relative, list] : copies) {
    const auto hit = std::find_if(wanted->paths.begin(), wanted->paths.end(),
                                  [&](const std::string& w) { return Inside(relative, w); });
    if (!wanted->paths.empty() && hit == wanted->paths.end()) continue;
    const size_t index = static_cast<size_t>(hit - wanted->paths.begin());
    if (hit != wanted->paths.end()) ++wanted->found[index];
    const HeldCopy held = CopyHeldAt(context.fs, list, moment);
    if (held.copy == nullptr) {
      LeaveOut(context, relative, held, tally);
      continue;
    }
    const int before = tally->restored;
    RestoreOne(context, dest, relative, *held.copy, tally);
    if (hit != wanted->paths.end()) wanted->restored[index] += tally->restored - before;
  }
}

}  // namespace

int RunRestoreCommand(const RunArgs& args, const RunnerContext& context) {
  VersionTarget opened;
  std::string why;
  Wanted wanted;
  std::optional<FileTime> moment;
  if (!ReadWanted(args, &wanted.paths, &why) || !ReadMoment(args, &moment, &why) ||
      !OpenVersionTarget(context, args.target, false, &opened, &why))
    return UsageError(context, why);
  if (why = CheckDest(context.fs, opened.folder, args.dest); !why.empty())
    return UsageError(context, why);
  if (args.hasAsOf && opened.versions.empty())
    return UsageError(context, NoVersionsMessage(args.target));
  Unreadable unreadable;
  const auto copies = KeptCopies(context.fs, opened.folder, opened.versions, &unreadable);
  Tally tally;
  RestoreCopies(context, WithTrailingSeparator(args.dest), copies, moment, &wanted, &tally);
  bool any_lost = false;
  ReportWanted(context, wanted.paths, wanted.found, wanted.restored, &tally, &any_lost);
  for (const auto& [dir, code] : unreadable) {
    ++tally.failed;
    context.Log("Cannot list directory: " + dir + " " + ErrorCodeText(code));
  }
  context.Log("Restore completed: " + std::to_string(tally.restored) + " restored, " +
              std::to_string(tally.leftOut) + " left out, " + std::to_string(tally.failed) +
              " failed.");
  return tally.failed > 0 || any_lost ? 1 : 0;
}

}  // namespace qs
