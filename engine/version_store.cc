// Walks are depth-first through the file system seam; links inside a target are followed for
// reading, with a directory refused only when it is one of its own ancestors, as the scan does.
#include "engine/version_store.h"

#include <algorithm>
#include <functional>
#include <string_view>

#include "engine/paths.h"
#include "engine/record_store.h"
#include "os/clock.h"

namespace qs {

namespace {

const char kReadme[] = "README.txt";

/// The moment a folder's name gives. A name in an hour the clocks skipped is no program's
/// (they name folders after real moments): it is read as if the clocks had not moved.
FileTime MomentOf(const VersionStamp& stamp) {
  int64_t seconds = 0;
  if (FromLocalTime({stamp.year, stamp.month, stamp.day, stamp.hour, stamp.minute, stamp.second},
                    &seconds))
    return {seconds, 0};
  const int64_t day = DaysFromCivil(stamp.year, stamp.month, stamp.day);
  return {day * 86400 + stamp.hour * 3600 + stamp.minute * 60 + stamp.second, 0};
}

bool IsStoredVersion(FileSystem& fs, const std::string& target_root, const std::string& name,
                     StoredVersion* version) {
  VersionStamp stamp;
  if (!ParseVersionFolderName(name, &stamp)) return false;
  const std::string path = target_root + name;
  if (fs.Probe(path + kPathSeparator + kReadme) != PathKind::File) return false;
  *version = {name, path, stamp, MomentOf(stamp)};
  return true;
}

}  // namespace

bool IsBeingRemoved(const DirEntry& entry) {
  const std::string_view prefix = kRemovingPrefix;
  VersionStamp stamp;
  return entry.kind == EntryKind::Directory && !entry.link &&
         std::string_view(entry.name).substr(0, prefix.size()) == prefix &&
         ParseVersionFolderName(std::string_view(entry.name).substr(prefix.size()), &stamp);
}

namespace {

/// A copy at `path`, from `version` (null: the current copy).
KeptCopy CopyAt(const std::string& path, const StoredVersion* version, FileTime last_write,
                uint64_t size) {
  if (version == nullptr) return {path, "", last_write, size, std::nullopt};
  return {path, version->name, last_write, size, version->made};
}

/// The copy of a listed file, with its time and size (read again where the listing has none).
KeptCopy CopyOf(FileSystem& fs, const std::string& path, const StoredVersion* version,
                const DirEntry& entry) {
  if (entry.lastWrite != kUnknownTime && entry.size != kUnknownSize)
    return CopyAt(path, version, entry.lastWrite, entry.size);
  const PathInfo info = fs.Stat(path);
  return CopyAt(path, version, info.lastWrite, info.size);
}

/// Collects the files below `directory` (ending with a separator) as copies from `folder`.
class CopyWalk {
 public:
  CopyWalk(FileSystem& fs, const StoredVersion* version, size_t root_length,
           std::map<std::string, std::vector<KeptCopy>>* copies, Unreadable* unreadable)
      : fs_(fs),
        version_(version),
        root_length_(root_length),
        copies_(copies),
        unreadable_(unreadable) {}

  /// `skip(entry)` leaves entries of the top directory out.
  void Walk(const std::string& directory, const std::function<bool(const DirEntry&)>& skip) {
    DirListing listing;
    if (!fs_.ListDirectory(directory.empty() ? "." : directory, &listing)) {
      unreadable_->emplace_back(directory, fs_.LastErrorCode());
      return;
    }
    if (std::find(ancestors_.begin(), ancestors_.end(), listing.id) != ancestors_.end()) return;
    ancestors_.push_back(listing.id);
    for (const DirEntry& entry : listing.entries) {
      if (skip(entry)) continue;
      const std::string path = directory + entry.name;
      if (entry.kind == EntryKind::Directory) {
        Walk(path + kPathSeparator, [](const DirEntry&) { return false; });
      } else if (entry.kind == EntryKind::File) {
        (*copies_)[path.substr(root_length_)].push_back(CopyOf(fs_, path, version_, entry));
      }
    }
    ancestors_.pop_back();
  }

 private:
  FileSystem& fs_;
  const StoredVersion* version_;  ///< null for the current tree
  const size_t root_length_;
  std::map<std::string, std::vector<KeptCopy>>* copies_;
  Unreadable* unreadable_;
  std::vector<DirectoryId> ancestors_;
};

}  // namespace

void InHistoryOrder(std::vector<KeptCopy>* copies) {
  std::stable_sort(copies->begin(), copies->end(), [](const KeptCopy& a, const KeptCopy& b) {
    if (!a.replaced || !b.replaced) return !a.replaced && b.replaced;
    return *b.replaced < *a.replaced;
  });
}

std::vector<StoredVersion> ListVersionFolders(FileSystem& fs, const std::string& target_root) {
  DirListing listing;
  std::vector<StoredVersion> versions;
  if (!fs.ListDirectory(target_root.empty() ? "." : target_root, &listing)) return versions;
  for (const DirEntry& entry : listing.entries) {
    StoredVersion version;
    if (entry.kind == EntryKind::Directory && !entry.link &&
        IsStoredVersion(fs, target_root, entry.name, &version))
      versions.push_back(version);
  }
  std::sort(versions.begin(), versions.end(),
            [](const StoredVersion& a, const StoredVersion& b) { return a.stamp < b.stamp; });
  return versions;
}

std::map<std::string, std::vector<KeptCopy>> KeptCopies(FileSystem& fs,
                                                        const std::string& target_root,
                                                        const std::vector<StoredVersion>& folders,
                                                        Unreadable* unreadable) {
  std::map<std::string, std::vector<KeptCopy>> copies;
  CopyWalk current(fs, nullptr, target_root.size(), &copies, unreadable);
  current.Walk(target_root, [&](const DirEntry& entry) {
    if (IsBeingRemoved(entry) || entry.name == kRecordFolderName) return true;
    return std::any_of(folders.begin(), folders.end(),
                       [&](const StoredVersion& version) { return version.name == entry.name; });
  });
  for (const StoredVersion& version : folders) {
    const std::string root = version.path + kPathSeparator;
    CopyWalk walk(fs, &version, root.size(), &copies, unreadable);
    walk.Walk(root, [](const DirEntry& entry) { return entry.name == kReadme; });
  }
  for (auto& [relative, list] : copies) InHistoryOrder(&list);
  return copies;
}

std::vector<KeptCopy> KeptCopiesOf(FileSystem& fs, const std::string& target_root,
                                   const std::vector<StoredVersion>& folders,
                                   const std::string& relative) {
  std::vector<KeptCopy> copies;
  const auto add = [&](const std::string& path, const StoredVersion* version) {
    const PathInfo info = fs.Stat(path);
    if (info.kind == PathKind::File)
      copies.push_back(CopyAt(path, version, info.lastWrite, info.size));
  };
  add(target_root + relative, nullptr);
  for (const StoredVersion& version : folders)
    add(version.path + kPathSeparator + relative, &version);
  InHistoryOrder(&copies);
  return copies;
}

}  // namespace qs
