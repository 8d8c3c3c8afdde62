// Only a directory that is one of its own ancestors is refused, so a link cycle ends at once
// while a directory reached by two paths (a sibling link, a bind mount) is backed up under
// both. The target root is never entered, so a target inside the source is not copied into
// itself.
#include "engine/source_scan.h"

#include <algorithm>

#include "engine/backup_job.h"
#include "engine/paths.h"
#include "engine/record_store.h"

namespace qs {

namespace {

const char kExcludedDirectory[] = "oh_modules";

std::string Listed(const std::string& directory) { return directory.empty() ? "." : directory; }

}  // namespace

SourceScan::SourceScan(BackupJob& job, std::function<void()> before_first_line)
    : job_(job), fs_(job.fs()), before_first_line_(std::move(before_first_line)) {}

void SourceScan::BeforeLine() {
  if (!before_first_line_) return;
  before_first_line_();
  before_first_line_ = nullptr;
}

void SourceScan::Scan(const std::string& directory, FileList& list) {
  // The target root is left out, unless it is the very directory scanned (then every file is
  // simply found up to date).
  const std::string& target_root = job_.options.targetRoot;
  DirectoryId target, scanned;
  if (!target_root.empty() &&
      fs_.IdentifyDirectory(WithoutTrailingSeparator(target_root), &target) &&
      !(fs_.IdentifyDirectory(Listed(directory), &scanned) && scanned == target))
    target_root_ = target;
  if (!job_.options.exclusions.empty())
    source_folds_case_ = fs_.DescribeVolume(Listed(directory)).foldsCase == 1;
  ScanDirectory(directory, list);
}

void SourceScan::ReportUnlisted(const std::string& directory, const std::string& listed) {
  const uint32_t code = fs_.LastErrorCode();
  // A subdirectory deleted since its parent was listed holds nothing to back up. Any other
  // directory that cannot be listed hides files, and a missing root is most likely a typo.
  if (directory != job_.options.sourceRoot && fs_.Probe(listed) == PathKind::Missing) return;
  BeforeLine();
  job_.Report({.kind = RunEventKind::kDirectoryUnlisted, .path = directory, .code = code});
}

void SourceScan::ScanDirectory(const std::string& directory, FileList& list) {
  DirListing listing;
  const std::string listed = Listed(directory);
  if (!fs_.ListDirectory(listed, &listing)) return ReportUnlisted(directory, listed);
  if (std::find(ancestors_.begin(), ancestors_.end(), listing.id) != ancestors_.end()) return;
  if (target_root_ == listing.id) return;
  ancestors_.push_back(listing.id);
  for (const DirEntry& entry : listing.entries) ScanEntry(directory, entry, list);
  ancestors_.pop_back();
}

bool SourceScan::Excluded(const std::string& directory, const DirEntry& entry) const {
  const Exclusions& exclusions = job_.options.exclusions;
  if (exclusions.empty()) return false;
  // The path below the root, with '/' between names on every system.
  std::string below = directory.substr(std::min(directory.size(), job_.options.sourceRoot.size()));
  below += entry.name;
  std::replace(below.begin(), below.end(), kPathSeparator, '/');
  return exclusions.Excludes(below, entry.kind == EntryKind::Directory, source_folds_case_);
}

uint64_t SourceScan::SizeOf(const std::string& path, const DirEntry& entry) {
  if (entry.size != kUnknownSize) return entry.size;
  return job_.options.measureSizes ? fs_.Stat(path).size : 0;
}

void SourceScan::ScanEntry(const std::string& directory, const DirEntry& entry, FileList& list) {
  if (Excluded(directory, entry)) return;
  // Copied, it would land on the target's record.
  if (entry.name == kRecordFolderName && directory == job_.options.sourceRoot) {
    BeforeLine();
    const std::string path = directory + entry.name;
    job_.Report({.kind = RunEventKind::kRecordFolderLeftOut, .path = path});
    return;
  }
  switch (entry.kind) {
    case EntryKind::Directory:
      if (entry.name != kExcludedDirectory)
        ScanDirectory(directory + entry.name + kPathSeparator, list);
      return;
    case EntryKind::File: {
      std::string path = directory + entry.name;
      const uint64_t size = SizeOf(path, entry);
      list.push_back({std::move(path), entry.lastWrite, size});
      return;
    }
    case EntryKind::DanglingLink:
      BeforeLine();
      job_.Report({.kind = RunEventKind::kDanglingLinkLeftOut, .path = directory + entry.name});
      return;
    case EntryKind::SystemJunction:
      BeforeLine();
      job_.Report({.kind = RunEventKind::kJunctionLeftOut, .path = directory + entry.name});
      return;
    case EntryKind::Special:
      return;
  }
}

void BackupJob::ScanSource(const std::string& directory, FileList& list) {
  SourceScan(*this).Scan(directory, list);
}

}  // namespace qs
