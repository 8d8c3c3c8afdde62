// A folder is renamed aside before it is deleted: a removal cut short leaves a hidden
// ".qs-removing-" folder, never a half version folder that looks whole, and the next prune
// finishes it.
#include "cli/prune_command.h"

#include "cli/version_target.h"
#include "engine/dry_run_file_system.h"
#include "engine/paths.h"
#include "engine/version_store.h"

namespace qs {

namespace {

struct Tally {
  int removed = 0;
  int failed = 0;
  uint64_t bytes = 0;
};

/// Deletes the folder `aside` (already renamed); `shown` names it in the log.
void Delete(const RunnerContext& context, const std::string& aside, const std::string& shown,
            const std::string& done_line, Tally* tally) {
  std::string failed;
  if (RemoveTree(context.fs, aside, &tally->bytes, &failed)) {
    ++tally->removed;
    return context.Log(done_line + shown);
  }
  ++tally->failed;
  context.Log("Could not remove completely: " + shown + " (" + failed +
              ") Error: " + std::to_string(context.fs.LastErrorCode()));
}

/// Adds up what removing `path` would free, removing nothing.
void Measure(const RunnerContext& context, const std::string& path, Tally* tally) {
  DryRunFileSystem pretend(context.fs);
  std::string unused;
  RemoveTree(pretend, path, &tally->bytes, &unused);
}

/// Finishes removals that an earlier prune began and was cut short in.
void FinishInterrupted(const RunnerContext& context, const std::string& target, bool dry_run,
                       Tally* tally) {
  DirListing listing;
  if (!context.fs.ListDirectory(target, &listing)) return;
  for (const DirEntry& entry : listing.entries) {
    if (!IsBeingRemoved(entry)) continue;  // a user's folder named alike is backed-up data
    if (dry_run) {
      Measure(context, target + entry.name, tally);
      context.Log("Leftover of an interrupted removal would be removed: " + target + entry.name);
      continue;
    }
    Delete(context, target + entry.name, target + entry.name,
           "Leftover of an interrupted removal removed: ", tally);
  }
}

void Remove(const RunnerContext& context, const std::string& target, const StoredVersion& version,
            Tally* tally) {
  const std::string aside = target + kRemovingPrefix + version.name;
  if (!context.fs.Rename(version.path, aside)) {
    ++tally->failed;
    return context.Log("Could not remove version folder: " + version.path +
                       " Error: " + std::to_string(context.fs.LastErrorCode()));
  }
  Delete(context, aside, version.path, "Version folder removed: ", tally);
}

/// Removes (or, in a dry run, names) the folders no rule keeps.
void PruneVersions(const RunArgs& args, const RunnerContext& context, const std::string& target,
                   const std::vector<StoredVersion>& versions, Tally* tally) {
  std::vector<VersionStamp> stamps;
  for (const StoredVersion& version : versions) stamps.push_back(version.stamp);
  const std::vector<bool> keep = VersionsToKeep(stamps, args.keep);
  for (size_t i = 0; i < versions.size(); ++i) {
    if (keep[i]) continue;
    if (!args.dryRun) {
      Remove(context, target, versions[i], tally);
      continue;
    }
    Measure(context, versions[i].path, tally);
    context.Log("Version folder would be removed: " + versions[i].path);
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
  Tally tally;
  FinishInterrupted(context, target, args.dryRun, &tally);
  if (args.keep.Any())
    PruneVersions(args, context, target, versions, &tally);
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
