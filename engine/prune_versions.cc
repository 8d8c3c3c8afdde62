// A folder is renamed aside before it is deleted: a removal cut short leaves a hidden
// ".qs-removing-" folder, never a half version folder that looks whole, and the next prune
// finishes it. The record hears of a folder once it is aside and before anything in it goes,
// so that it never names a copy the target no longer keeps.
#include "engine/prune_versions.h"

#include <string_view>
#include <vector>

#include "engine/dry_run_file_system.h"
#include "engine/paths.h"
#include "engine/prune_record.h"
#include "engine/record_notice.h"
#include "engine/record_store.h"
#include "engine/tree_removal.h"
#include "engine/version_target.h"

namespace qs {

namespace {

class Pruning {
 public:
  Pruning(FileSystem& fs, Clock& clock, RunObserver& observer, const std::string& target,
          PruneResults* results)
      : fs_(fs),
        clock_(clock),
        observer_(observer),
        target_(target),
        store_(RecordStore::Open(fs, target)),
        results_(*results) {}

  void Run(const PruneRequest& request, const std::vector<StoredVersion>& versions);

 private:
  bool KeepInRecord(const std::vector<std::string>& names);
  void ReportMounted(const Removal& removal);
  void Say(RunEventKind kind, std::string_view path, uint32_t code = 0) {
    observer_.OnRunEvent({.kind = kind, .path = path, .code = code});
  }
  void Delete(const std::string& aside, const std::string& shown, RunEventKind done);
  void Measure(const std::string& path, RunEventKind would_go);
  void FinishInterrupted(bool dry_run);
  void Remove(const StoredVersion& version);
  void RemoveUnkept(const PruneRequest& request, const std::vector<StoredVersion>& versions);

  FileSystem& fs_;
  Clock& clock_;
  RunObserver& observer_;
  const std::string& target_;
  RecordStore store_;
  PruneResults& results_;
};

/// Tells the record that the version folders `names` keep no copy any more; false, said and
/// counted, when it could not be kept.
bool Pruning::KeepInRecord(const std::vector<std::string>& names) {
  uint32_t code = 0;
  if (KeepPruneInRecord(fs_, store_, clock_.WallTicks(), names, &code) != PruneKept::kFailed)
    return true;
  ++results_.failed;
  Say(RunEventKind::kPruneNotRecorded, store_.journalPath(), code);
  return false;
}

/// Names the places a removal left whole because another file system is mounted there.
void Pruning::ReportMounted(const Removal& removal) {
  for (const std::string& place : removal.mounted) Say(RunEventKind::kMountedLeftWhole, place);
}

/// Deletes the folder `aside` (already renamed); `shown` names it in the log.
void Pruning::Delete(const std::string& aside, const std::string& shown, RunEventKind done) {
  const Removal removal = RemoveTree(fs_, aside);
  results_.bytes += removal.bytes;
  if (removal.Complete()) {
    ++results_.removed;
    return Say(done, shown);
  }
  ++results_.failed;
  ReportMounted(removal);
  if (!removal.failed.empty())
    observer_.OnRunEvent({.kind = RunEventKind::kRemovalIncomplete,
                          .path = shown,
                          .other = removal.failed,
                          .code = removal.code});
}

/// Adds up what removing `path` would free, removing nothing, and says so with `line`; a
/// place a removal would leave whole is named instead, and counts as failed as it would.
void Pruning::Measure(const std::string& path, RunEventKind would_go) {
  DryRunFileSystem pretend(fs_);
  const Removal removal = RemoveTree(pretend, path);
  results_.bytes += removal.bytes;
  if (removal.mounted.empty()) return Say(would_go, path);
  ++results_.failed;
  ReportMounted(removal);
}

/// Finishes removals that an earlier prune began and was cut short in. The record may not have
/// heard of them yet: it does before they go (a folder it hears of twice is no harm).
void Pruning::FinishInterrupted(bool dry_run) {
  DirListing listing;
  if (!fs_.ListDirectory(target_, &listing)) return;
  std::erase_if(listing.entries, [](const DirEntry& entry) {
    return !IsBeingRemoved(entry);  // a user's folder named alike is backed-up data
  });
  if (dry_run) {
    for (const DirEntry& entry : listing.entries)
      Measure(target_ + entry.name, RunEventKind::kLeftoverWouldGo);
    return;
  }
  std::vector<std::string> names;
  for (const DirEntry& entry : listing.entries)
    names.push_back(entry.name.substr(std::string_view(kRemovingPrefix).size()));
  if (!KeepInRecord(names)) return;
  for (const DirEntry& entry : listing.entries)
    Delete(target_ + entry.name, target_ + entry.name, RunEventKind::kLeftoverRemoved);
}

void Pruning::Remove(const StoredVersion& version) {
  const std::string aside = target_ + kRemovingPrefix + version.name;
  // The new name must be on the disk before anything inside goes: else a crash could keep
  // the removals and lose the rename, leaving a half folder under the version's name.
  if (!fs_.Rename(version.path, aside) || !fs_.SyncDirectory(WithoutTrailingSeparator(target_))) {
    ++results_.failed;
    return Say(RunEventKind::kVersionFolderNotRemoved, version.path, fs_.LastErrorCode());
  }
  // Without the record's word the folder stays whole under its name, as the record has it.
  if (!KeepInRecord({version.name})) {
    fs_.Rename(aside, version.path);
    fs_.SyncDirectory(WithoutTrailingSeparator(target_));
    return;
  }
  Delete(aside, version.path, RunEventKind::kVersionFolderRemoved);
}

/// Removes (or, in a dry run, names) the folders no rule keeps.
void Pruning::RemoveUnkept(const PruneRequest& request,
                           const std::vector<StoredVersion>& versions) {
  std::vector<VersionStamp> stamps;
  for (const StoredVersion& version : versions) stamps.push_back(version.stamp);
  const std::vector<bool> keep = VersionsToKeep(stamps, request.keep);
  for (size_t i = 0; i < versions.size(); ++i) {
    if (keep[i]) continue;
    if (request.dryRun)
      Measure(versions[i].path, RunEventKind::kVersionFolderWouldGo);
    else
      Remove(versions[i]);
  }
}

void Pruning::Run(const PruneRequest& request, const std::vector<StoredVersion>& versions) {
  ReportRecord(store_, false, observer_);
  FinishInterrupted(request.dryRun);
  if (request.keep.Any())
    RemoveUnkept(request, versions);
  else
    Say(RunEventKind::kNoKeepRule, {});
  const PruneCounts counts{results_.removed, results_.failed, results_.bytes, request.dryRun};
  observer_.OnRunEvent({.kind = RunEventKind::kPruneCompleted, .prune = &counts});
}

}  // namespace

PruneResults PruneVersions(FileSystem& fs, Clock& clock, const PruneRequest& request,
                           RunObserver& observer) {
  PruneResults results;
  VersionTarget opened;
  if (!OpenVersionTarget(fs, request.target, true, &opened, &results.why)) {
    results.refused = true;
    return results;
  }
  Pruning(fs, clock, observer, opened.folder, &results).Run(request, opened.versions);
  return results;
}

}  // namespace qs
