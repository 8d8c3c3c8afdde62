// The scan: depth-first in the order the system lists entries. Links are followed, but no
// directory is entered twice, so a link cycle cannot hang the scan; the target root is never
// entered, so a target inside the source is not copied into itself.
#include "engine/backup_job.h"

namespace qs {

namespace {

const char kExcludedDirectory[] = "oh_modules";

std::string WithoutTrailingSeparator(const std::string& path) {
  if (path.size() > 1 && path.back() == kPathSeparator) return path.substr(0, path.size() - 1);
  return path;
}

}  // namespace

void BackupJob::ScanSource(const std::string& directory, FileList& list) {
  EnteredDirectories entered;
  DirectoryId scanned, target;
  FileSystem& fs = *services_.fs;
  if (!targetRoot.empty() && fs.IdentifyDirectory(WithoutTrailingSeparator(targetRoot), &target) &&
      !(fs.IdentifyDirectory(directory.empty() ? "." : directory, &scanned) && scanned == target))
    entered.insert(target);
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
