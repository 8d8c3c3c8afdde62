// A folder is renamed aside before it is deleted: a removal cut short leaves a hidden
// ".qs-removing-" folder, never a half version folder that looks whole, and the next prune
// finishes it. The record hears of the folders once they are aside, before anything in them
// goes, so that it never names a copy the target no longer keeps.
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
#include "platform/error_text.h"

namespace qs {

namespace {

struct Tally {
  int removed = 0;
  int failed = 0;
  uint64_t bytes = 0;
};

/// A folder renamed aside, to be deleted: where it is, its name in the log, and the line that
/// says it is gone.
struct Aside {
  std::string path;
  std::string shown;
  std::string doneLine;
};

/// What a prune removes: the folders aside, and the version folders' names for the record.
struct Removals {
  std::vector<Aside> aside;
  std::vector<std::string> versionNames;
};

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

/// Takes up removals that an earlier prune began and was cut short in.
void FindInterrupted(const RunnerContext& context, const std::string& target, bool dry_run,
                     Removals* removals, Tally* tally) {
  DirListing listing;
  if (!context.fs.ListDirectory(target, &listing)) return;
  for (const DirEntry& entry : listing.entries) {
    if (!IsBeingRemoved(entry)) continue;  // a user's folder named alike is backed-up data
    if (dry_run) {
      Measure(context, target + entry.name,
              "Leftover of an interrupted removal would be removed: ", tally);
      continue;
    }
    removals->aside.push_back(
        {target + entry.name, target + entry.name, "Leftover of an interrupted removal removed: "});
    removals->versionNames.push_back(entry.name.substr(std::string_view(kRemovingPrefix).size()));
  }
}

/// Renames the version folder aside.
void PutAside(const RunnerContext& context, const std::string& target, const StoredVersion& version,
              Removals* removals, Tally* tally) {
  const std::string aside = target + kRemovingPrefix + version.name;
  // The new name must be on the disk before anything inside goes: else a crash could keep
  // the removals and lose the rename, leaving a half folder under the version's name.
  if (!context.fs.Rename(version.path, aside) ||
      !context.fs.SyncDirectory(WithoutTrailingSeparator(target))) {
    ++tally->failed;
    return context.Log("Could not remove version folder: " + version.path + " " +
                       ErrorCodeText(context.fs.LastErrorCode()));
  }
  removals->aside.push_back({aside, version.path, "Version folder removed: "});
  removals->versionNames.push_back(version.name);
}

/// Puts aside (or, in a dry run, names) the folders no rule keeps.
void PruneVersions(const RunArgs& args, const RunnerContext& context, const std::string& target,
                   const std::vector<StoredVersion>& versions, Removals* removals, Tally* tally) {
  std::vector<VersionStamp> stamps;
  for (const StoredVersion& version : versions) stamps.push_back(version.stamp);
  const std::vector<bool> keep = VersionsToKeep(stamps, args.keep);
  for (size_t i = 0; i < versions.size(); ++i) {
    if (keep[i]) continue;
    if (!args.dryRun) {
      PutAside(context, target, versions[i], removals, tally);
      continue;
    }
    Measure(context, versions[i].path, "Version folder would be removed: ", tally);
  }
}

/// Tells the record which version folders are going; a failure is counted and named.
void KeepInRecord(const RunnerContext& context, RecordStore& store, const Removals& removals,
                  Tally* tally) {
  uint32_t code = 0;
  if (KeepPruneInRecord(context.fs, store, context.log.clock->WallTicks(), removals.versionNames,
                        &code) != PruneKept::kFailed)
    return;
  ++tally->failed;
  context.Log("Could not keep the prune in the record of the runs: " + store.journalPath() + " " +
              ErrorCodeText(code));
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
  Removals removals;
  FindInterrupted(context, target, args.dryRun, &removals, &tally);
  if (args.keep.Any())
    PruneVersions(args, context, target, versions, &removals, &tally);
  else
    context.Log("No --keep rule given: no version folder removed.");
  if (!args.dryRun) KeepInRecord(context, store, removals, &tally);
  for (const Aside& aside : removals.aside)
    Delete(context, aside.path, aside.shown, aside.doneLine, &tally);
  context.Log("Pruning completed: " + std::to_string(tally.removed) + " removed, " +
              std::to_string(tally.failed) + " failed.");
  const std::string bytes = std::to_string(tally.bytes) + " bytes.";
  context.Log((args.dryRun ? "Space that would be freed: " : "Space freed: ") + bytes);
  if (args.dryRun) context.Log("Dry run: nothing was written.");
  return tally.failed > 0 ? 1 : 0;
}

}  // namespace qs
