// A folder is renamed aside before it is deleted: a removal cut short leaves a hidden
// ".qs-removing-" folder, never a half version folder that looks whole, and the next prune
// finishes it. The record hears of a folder once it is aside and before anything in it goes,
// so that it never names a copy the target no longer keeps.
#include "cli/prune_command.h"

#include <string_view>
#include <vector>

#include "cli/version_target.h"
#include "engine/dry_run_file_system.h"
#include "engine/paths.h"
#include "engine/prune_record.h"
#include "engine/record_notice.h"
#include "engine/tree_removal.h"
#include "engine/version_store.h"
#include "os/error_text.h"

namespace qs {

namespace {

struct Tally {
  int removed = 0;
  int failed = 0;
  uint64_t bytes = 0;
};

/// Tells the record that the version folders `names` keep no copy any more; false, said and
/// counted, when it could not be kept.
bool KeepInRecord(const RunnerContext& context, RecordStore& store,
                  const std::vector<std::string>& names, Tally* tally) {
  uint32_t code = 0;
  if (KeepPruneInRecord(context.fs, store, context.log.clock->WallTicks(), names, &code) !=
      PruneKept::kFailed)
    return true;
  ++tally->failed;
  context.Log("Could not keep the prune in the record of the runs: " + store.journalPath() + " " +
              ErrorCodeText(code));
  return false;
}

/// Names the places a removal left whole because another file system is mounted there.
void ReportMounted(const RunnerContext& context, const Removal& removal) {
  for (const std::string& place : removal.mounted)
    context.Log("Not removed, another file system is mounted here: " + place);
}

/// Deletes the folder `aside` (already renamed); `shown` names it in the log.
void Delete(const RunnerContext& context, const std::string& aside, const std::string& shown,
            const std::string& done_line, Tally* tally) {
  const Removal removal = RemoveTree(context.fs, aside);
  tally->bytes += removal.bytes;
  if (removal.Complete()) {
    ++tally->removed;
    return context.Log(done_line + shown);
  }
  ++tally->failed;
  ReportMounted(context, removal);
  if (!removal.failed.empty())
    context.Log("Could not remove completely: " + shown + " (" + removal.failed + ") " +
                ErrorCodeText(removal.code));
}

/// Adds up what removing `path` would free, removing nothing, and says so with `line`; a
/// place a removal would leave whole is named instead, and counts as failed as it would.
void Measure(const RunnerContext& context, const std::string& path, const std::string& line,
             Tally* tally) {
  DryRunFileSystem pretend(context.fs);
  const Removal removal = RemoveTree(pretend, path);
  tally->bytes += removal.bytes;
  if (removal.mounted.empty()) return context.Log(line + path);
  ++tally->failed;
  ReportMounted(context, removal);
}

/// Finishes removals that an earlier prune began and was cut short in. The record may not have
/// heard of them yet: it does before they go (a folder it hears of twice is no harm).
void FinishInterrupted(const RunnerContext& context, RecordStore& store, const std::string& target,
                       bool dry_run, Tally* tally) {
  DirListing listing;
  if (!context.fs.ListDirectory(target, &listing)) return;
  std::erase_if(listing.entries, [](const DirEntry& entry) {
    return !IsBeingRemoved(entry);  // a user's folder named alike is backed-up data
  });
  if (dry_run) {
    for (const DirEntry& entry : listing.entries)
      Measure(context, target + entry.name,
              "Leftover of an interrupted removal would be removed: ", tally);
    return;
  }
  std::vector<std::string> names;
  for (const DirEntry& entry : listing.entries)
    names.push_back(entry.name.substr(std::string_view(kRemovingPrefix).size()));
  if (!KeepInRecord(context, store, names, tally)) return;
  for (const DirEntry& entry : listing.entries)
    Delete(context, target + entry.name, target + entry.name,
           "Leftover of an interrupted removal removed: ", tally);
}

void Remove(const RunnerContext& context, RecordStore& store, const std::string& target,
            const StoredVersion& version, Tally* tally) {
  const std::string aside = target + kRemovingPrefix + version.name;
  // The new name must be on the disk before anything inside goes: else a crash could keep
  // the removals and lose the rename, leaving a half folder under the version's name.
  if (!context.fs.Rename(version.path, aside) ||
      !context.fs.SyncDirectory(WithoutTrailingSeparator(target))) {
    ++tally->failed;
    return context.Log("Could not remove version folder: " + version.path + " " +
                       ErrorCodeText(context.fs.LastErrorCode()));
  }
  // Without the record's word the folder stays whole under its name, as the record has it.
  if (!KeepInRecord(context, store, {version.name}, tally)) {
    context.fs.Rename(aside, version.path);
    context.fs.SyncDirectory(WithoutTrailingSeparator(target));
    return;
  }
  Delete(context, aside, version.path, "Version folder removed: ", tally);
}

/// Removes (or, in a dry run, names) the folders no rule keeps.
void PruneVersions(const RunArgs& args, const RunnerContext& context, RecordStore& store,
                   const std::string& target, const std::vector<StoredVersion>& versions,
                   Tally* tally) {
  std::vector<VersionStamp> stamps;
  for (const StoredVersion& version : versions) stamps.push_back(version.stamp);
  const std::vector<bool> keep = VersionsToKeep(stamps, args.keep);
  for (size_t i = 0; i < versions.size(); ++i) {
    if (keep[i]) continue;
    if (!args.dryRun) {
      Remove(context, store, target, versions[i], tally);
      continue;
    }
    Measure(context, versions[i].path, "Version folder would be removed: ", tally);
  }
}

}  // namespace

int RunPruneCommand(const RunArgs& args, const RunnerContext& context) {
  VersionTarget opened;
  std::string why;
  if (!OpenVersionTarget(context, args.target, true, &opened, &why))
    return UsageError(context, why);
  const std::string& target = opened.folder;
  const std::vector<StoredVersion>& versions = opened.versions;
  RecordStore store = RecordStore::Open(context.fs, target);
  if (const std::string notice = RecordNotice(store); !notice.empty()) context.Log(notice);
  Tally tally;
  FinishInterrupted(context, store, target, args.dryRun, &tally);
  if (args.keep.Any())
    PruneVersions(args, context, store, target, versions, &tally);
  else
    context.Log("No --keep rule given: no version folder removed.");
  context.Log("Pruning completed: " + std::to_string(tally.removed) + " removed, " +
              std::to_string(tally.failed) + " failed.");
  const std::string bytes = std::to_string(tally.bytes) + " bytes.";
  context.Log((args.dryRun ? "Space that would be freed: " : "Space freed: ") + bytes);
  if (args.dryRun) context.Log("Dry run: nothing was written.");
  return tally.failed > 0 ? 1 : 0;
}

}  // namespace qs
