// The scan: depth-first in the order the system lists entries. Links are followed, but no
// directory is entered twice, so a link cycle cannot hang the scan; the target root is never
// entered, so a target inside the source is not copied into itself.
#include "engine/backup_job.h"
#include "engine/paths.h"

namespace qs {

namespace {

const char kExcludedDirectory[] = "oh_modules";

/// Counts the target root as entered, so the scan never goes into it, unless it is the very
/// directory scanned (then every file is simply found up to date).
void ExcludeTargetRoot(FileSystem& fs, const std::string& target_root, const std::string& dir,
                       EnteredDirectories* entered) {
  DirectoryId target, scanned;
  if (target_root.empty() || !fs.IdentifyDirectory(WithoutTrailingSeparator(target_root), &target))
    return;
  if (fs.IdentifyDirectory(dir, &scanned) && scanned == target) return;
  entered->insert(target);
}

}  // namespace

void BackupJob::ScanSource(const std::string& directory, FileList& list) {
  EnteredDirectories entered;
  ExcludeTargetRoot(*services_.fs, targetRoot, directory.empty() ? "." : directory, &entered);
  ScanDirectory(directory, list, entered);
}

void BackupJob::ReportUnlisted(const std::string& directory, const std::string& listed) {
  const uint32_t code = services_.fs->LastErrorCode();
  // A subdirectory deleted since its parent was listed holds nothing to back up; any other
  // directory that cannot be listed hides files, and a missing root is most likely a typo.
  if (directory != sourceRoot && services_.fs->Probe(listed) == PathKind::Missing) return;
  ++unlistedDirectories;
  LogMessage("Cannot list directory: " + directory + " Error: " + std::to_string(code));
}

void BackupJob::ScanDirectory(const std::string& directory, FileList& list,
                              EnteredDirectories& entered) {
  DirListing listing;
  const std::string listed = directory.empty() ? "." : directory;
  if (!services_.fs->ListDirectory(listed, &listing)) {
    ReportUnlisted(directory, listed);
    return;
  }
  if (!entered.insert(listing.id).second) return;
  for (DirEntry& entry : listing.entries) {
    if (entry.kind == EntryKind::Directory) {
      if (entry.name != kExcludedDirectory)
        ScanDirectory(directory + entry.name + kPathSeparator, list, entered);
    } else if (entry.kind == EntryKind::File && !IsCopyTempName(entry.name)) {
      list.push_back({directory + entry.name, entry.lastWrite});
    }
  }
}

}  // namespace qs
