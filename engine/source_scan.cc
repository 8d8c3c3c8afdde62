// The scan: depth-first in the order the system lists entries. Links are followed; only a
// directory that is one of its own ancestors is refused, so a link cycle ends at once while a
// directory reached by two paths (a sibling link, a bind mount) is backed up under both. The
// target root is never entered, so a target inside the source is not copied into itself.
#include "engine/backup_job.h"
#include "engine/paths.h"

namespace qs {

namespace {

const char kExcludedDirectory[] = "oh_modules";

bool Contains(const std::vector<DirectoryId>& ids, const DirectoryId& id) {
  for (const DirectoryId& known : ids)
    if (known == id) return true;
  return false;
}

}  // namespace

void BackupJob::ScanSource(const std::string& directory, FileList& list) {
  ScanState state;
  DirectoryId target, scanned;
  const std::string listed = directory.empty() ? "." : directory;
  // The target root is left out, unless it is the very directory scanned (then every file is
  // simply found up to date).
  if (!targetRoot.empty() &&
      services_.fs->IdentifyDirectory(WithoutTrailingSeparator(targetRoot), &target) &&
      !(services_.fs->IdentifyDirectory(listed, &scanned) && scanned == target)) {
    state.targetRoot = target;
    state.hasTargetRoot = true;
  }
  ScanDirectory(directory, list, state);
}

void BackupJob::ReportUnlisted(const std::string& directory, const std::string& listed) {
  const uint32_t code = services_.fs->LastErrorCode();
  // A subdirectory deleted since its parent was listed holds nothing to back up. Any other
  // directory that cannot be listed hides files, and a missing root is most likely a typo.
  if (directory != sourceRoot && services_.fs->Probe(listed) == PathKind::Missing) return;
  ++unlistedDirectories;
  LogMessage("Cannot list directory: " + directory + " Error: " + std::to_string(code));
}

void BackupJob::ScanDirectory(const std::string& directory, FileList& list, ScanState& state) {
  DirListing listing;
  const std::string listed = directory.empty() ? "." : directory;
  if (!services_.fs->ListDirectory(listed, &listing)) {
    ReportUnlisted(directory, listed);
    return;
  }
  if (Contains(state.ancestors, listing.id)) return;  // a cycle: it is being scanned already
  if (state.hasTargetRoot && listing.id == state.targetRoot) return;
  state.ancestors.push_back(listing.id);
  for (DirEntry& entry : listing.entries) ScanEntry(directory, entry, list, state);
  state.ancestors.pop_back();
}

void BackupJob::ScanEntry(const std::string& directory, const DirEntry& entry, FileList& list,
                          ScanState& state) {
  switch (entry.kind) {
    case EntryKind::Directory:
      if (entry.name != kExcludedDirectory)
        ScanDirectory(directory + entry.name + kPathSeparator, list, state);
      return;
    case EntryKind::File:
      list.push_back({directory + entry.name, entry.lastWrite});
      return;
    case EntryKind::DanglingLink:
      LogMessage("Dangling link left out: " + directory + entry.name);
      return;
    case EntryKind::SystemJunction:
      LogMessage("System junction left out: " + directory + entry.name);
      return;
    case EntryKind::Special:
      return;
  }
}

}  // namespace qs
