// A restore reads the target and writes only below DEST, which must hold nothing yet: a
// restore never mixes old copies into a tree that is in use.
#include "cli/restore_command.h"

#include <algorithm>
#include <optional>

#include "cli/version_target.h"
#include "engine/file_copy.h"
#include "engine/paths.h"
#include "engine/version_store.h"
#include "log/log_time.h"

namespace qs {

namespace {

/// A path typed below the roots, with the native separator and no separator at either end.
std::string BelowTheRoots(std::string path) {
  std::replace(path.begin(), path.end(), '/', kPathSeparator);
  while (!path.empty() && path.front() == kPathSeparator) path.erase(0, 1);
  while (!path.empty() && path.back() == kPathSeparator) path.pop_back();
  return path;
}

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

std::optional<FileTime> Moment(const RunArgs& args) {
  int64_t seconds = 0;
  if (!args.hasAsOf || !FromLocalTime(args.asOf, &seconds)) return std::nullopt;
  return FileTime{seconds, 0};
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
  context.Log("Could not restore: " + relative + " Error: " + std::to_string(attempt.code));
}

}  // namespace

int RunVersionsCommand(const RunArgs& args, const RunnerContext& context) {
  VersionTarget opened;
  std::string why;
  if (!OpenVersionTarget(context, args.target, true, &opened, &why))
    return UsageError(context, why);
  const std::string& target = opened.folder;
  const std::vector<StoredVersion>& versions = opened.versions;
  const std::string relative = BelowTheRoots(args.paths[0]);
  std::vector<KeptCopy> copies = KeptCopiesOf(context.fs, target, versions, relative);
  // A version folder's own README.txt is no copy of a file, as a restore has it too.
  if (relative == "README.txt")
    std::erase_if(copies, [](const KeptCopy& copy) { return !copy.folder.empty(); });
  std::ostream& out = *context.log.console;
  for (const KeptCopy& copy : copies)
    out << FileTimeText(copy.lastWrite) << "  " << copy.size << " bytes  "
        << (copy.folder.empty() ? std::string("current") : copy.folder) << "\n";
  if (copies.empty()) out << "No copy of " << relative << " is kept in " << target << "\n";
  out.flush();
  return copies.empty() ? 1 : 0;
}

int RunRestoreCommand(const RunArgs& args, const RunnerContext& context) {
  const std::string dest = WithTrailingSeparator(args.dest);
  VersionTarget opened;
  std::string why;
  if (!OpenVersionTarget(context, args.target, false, &opened, &why))
    return UsageError(context, why);
  const std::string& target = opened.folder;
  const std::vector<StoredVersion>& versions = opened.versions;
  if (why = CheckDest(context.fs, target, args.dest); !why.empty()) return UsageError(context, why);
  if (args.hasAsOf && versions.empty()) return UsageError(context, NoVersionsMessage(args.target));
  const std::optional<FileTime> moment = Moment(args);
  if (args.hasAsOf && !moment)
    return UsageError(context, "the local time of --as-of does not exist");
  std::vector<std::string> wanted;
  for (const std::string& path : args.paths) wanted.push_back(BelowTheRoots(path));
  Unreadable unreadable;
  const auto copies = KeptCopies(context.fs, target, versions, &unreadable);
  Tally tally;
  std::vector<bool> found(wanted.size(), false);
  for (const auto& [relative, list] : copies) {
    const auto match = [&](const std::string& w) { return Inside(relative, w); };
    const auto hit = std::find_if(wanted.begin(), wanted.end(), match);
    if (!wanted.empty() && hit == wanted.end()) continue;
    if (hit != wanted.end()) found[static_cast<size_t>(hit - wanted.begin())] = true;
    const KeptCopy* copy = ChooseCopy(list, moment);
    if (copy == nullptr) {
      ++tally.leftOut;
      continue;
    }
    RestoreOne(context, dest, relative, *copy, &tally);
  }
  for (size_t i = 0; i < wanted.size(); ++i) {
    if (found[i]) continue;
    ++tally.failed;
    context.Log("Nothing is kept under: " + wanted[i]);
  }
  for (const auto& [dir, code] : unreadable) {
    ++tally.failed;
    context.Log("Cannot list directory: " + dir + " Error: " + std::to_string(code));
  }
  context.Log("Restore completed: " + std::to_string(tally.restored) + " restored, " +
              std::to_string(tally.leftOut) + " left out, " + std::to_string(tally.failed) +
              " failed.");
  return tally.failed > 0 ? 1 : 0;
}

}  // namespace qs
