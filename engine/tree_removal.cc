// Every folder is checked before it is entered, not only the top one: a disk mounted deep
// inside a version folder by mistake must lose nothing.
#include "engine/tree_removal.h"

namespace qs {

namespace {

class TreeRemoval {
 public:
  TreeRemoval(FileSystem& fs, uint64_t device) : fs_(fs), device_(device) {}

  /// False when anything below `path`, or `path` itself, stays.
  bool Remove(const std::string& path) {
    DirListing listing;
    if (!fs_.ListDirectory(path, &listing)) return Failed(path);
    bool all = true;
    for (const DirEntry& entry : listing.entries) {
      const std::string below = path + kPathSeparator + entry.name;
      if (entry.kind == EntryKind::Directory && !entry.link)
        all = (IsOwn(below) && Remove(below)) && all;
      else
        all = RemoveEntry(entry, below) && all;
    }
    if (all && !fs_.RemoveDirectory(path)) return Failed(path);
    return all;
  }

  /// True when `directory` lies on the device being removed from and is no mount's root;
  /// otherwise it is named and left whole (or, when it cannot be looked at, failed).
  bool IsOwn(const std::string& directory) {
    DirectoryId id;
    if (!fs_.IdentifyDirectory(directory, &id)) return Failed(directory);
    if (id.device == device_ && !fs_.IsMountRoot(directory)) return true;
    removal_.mounted.push_back(directory);
    return false;
  }

  Removal Result() { return std::move(removal_); }

 private:
  bool RemoveEntry(const DirEntry& entry, const std::string& path) {
    const uint64_t size = entry.link                   ? 0
                          : entry.size != kUnknownSize ? entry.size
                                                       : fs_.Stat(path).size;
    if (!fs_.RemoveFile(path)) return Failed(path);
    removal_.bytes += size;
    return true;
  }

  bool Failed(const std::string& path) {
    removal_.failed = path;
    removal_.code = fs_.LastErrorCode();
    return false;
  }

  FileSystem& fs_;
  const uint64_t device_;
  Removal removal_;
};

}  // namespace

Removal RemoveTree(FileSystem& fs, const std::string& path) {
  DirectoryId top;
  if (!fs.IdentifyDirectory(path, &top)) {
    Removal removal;
    removal.failed = path;
    removal.code = fs.LastErrorCode();
    return removal;
  }
  TreeRemoval removal(fs, top.device);
  if (removal.IsOwn(path)) removal.Remove(path);
  return removal.Result();
}

}  // namespace qs
