// A target as a store of kept copies: its current tree, and the version folders the program
// made in it. What pruning, the list of a file's versions and a restore read.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/version_retention.h"
#include "platform/file_system.h"

namespace qs {

/// A version folder made by this program: "backup_YYYYMMDD_HHMMSS" directly in the target,
/// holding its README.txt.
struct StoredVersion {
  std::string name;
  std::string path;
  VersionStamp stamp;
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
};

/// Every kept copy of every file, by the file's path below the roots (native separators):
/// the current tree (version folders and folders being removed left out) and each version
/// folder (its README.txt left out). Each file's copies come newest last-write time first. Folders
/// that cannot be read are named in `unreadable`, with the error code.
using Unreadable = std::vector<std::pair<std::string, uint32_t>>;
std::map<std::string, std::vector<KeptCopy>> KeptCopies(FileSystem& fs,
                                                        const std::string& target_root,
                                                        const std::vector<StoredVersion>& folders,
                                                        Unreadable* unreadable);

/// Every kept copy of the one file `relative` (below the roots), newest first.
std::vector<KeptCopy> KeptCopiesOf(FileSystem& fs, const std::string& target_root,
                                   const std::vector<StoredVersion>& folders,
                                   const std::string& relative);

/// The copy a restore takes: as of `moment`, the newest whose last-write time is not later;
/// without a moment, the current copy. Null when there is none.
const KeptCopy* ChooseCopy(const std::vector<KeptCopy>& copies, std::optional<FileTime> moment);

/// Removes `path` and everything below it; links are removed, never followed. Adds the sizes
/// of the files removed to `*bytes`. False when anything could not be removed (the code is
/// the file system's last error, the path in `*failed`).
bool RemoveTree(FileSystem& fs, const std::string& path, uint64_t* bytes, std::string* failed);

}  // namespace qs
