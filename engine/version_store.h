// A target as a store of kept copies: its current tree, and the version folders the program
// made in it. What pruning, the list of a file's versions and a restore read.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/version_retention.h"
#include "os/file_system.h"

namespace qs {

/// A version folder made by this program: "backup_YYYYMMDD_HHMMSS" directly in the target,
/// holding its README.txt.
struct StoredVersion {
  std::string name;
  std::string path;
  VersionStamp stamp;
  /// The moment of the name (a local time): the run that made the folder replaced the copies
  /// it holds then, so each was the current copy until that moment.
  FileTime made;
};

/// What a version folder's name is prefixed with while it is being removed: what such a
/// folder holds is going, and is no kept copy.
inline constexpr char kRemovingPrefix[] = ".qs-removing-";

/// A version folder renamed aside by a removal that was cut short: what it holds is going.
/// Any other name, even one that starts alike, is a folder of the source.
bool IsBeingRemoved(const DirEntry& entry);

/// The version folders of `target_root` (which ends with a separator), oldest first.
std::vector<StoredVersion> ListVersionFolders(FileSystem& fs, const std::string& target_root);

/// One kept copy of a file.
struct KeptCopy {
  std::string path;    ///< where it is
  std::string folder;  ///< the version folder's name; empty for the current copy
  FileTime lastWrite;
  uint64_t size = 0;
  /// When the run of its version folder replaced it; none for the current copy.
  std::optional<FileTime> replaced;
};

/// Every kept copy of every file, by the file's path below the roots (native separators):
/// the current tree (version folders, folders being removed and the record left out) and each
/// version folder (its README.txt left out). Each file's copies come in the order the backup held
/// them, the current copy first, then the latest replaced (see InHistoryOrder). Folders
/// that cannot be read are named in `unreadable`, with the error code.
using Unreadable = std::vector<std::pair<std::string, uint32_t>>;
std::map<std::string, std::vector<KeptCopy>> KeptCopies(FileSystem& fs,
                                                        const std::string& target_root,
                                                        const std::vector<StoredVersion>& folders,
                                                        Unreadable* unreadable);

/// Every kept copy of the one file `relative` (below the roots), in the same order.
std::vector<KeptCopy> KeptCopiesOf(FileSystem& fs, const std::string& target_root,
                                   const std::vector<StoredVersion>& folders,
                                   const std::string& relative);

/// Puts copies in the order the backup held them: the current copy first, then each version
/// folder's, the latest replaced first.
void InHistoryOrder(std::vector<KeptCopy>* copies);

}  // namespace qs
