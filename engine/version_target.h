// The TARGET that prune, the list of a file's versions, restore and check read: a folder and
// its version folders.
#pragma once

#include <string>
#include <vector>

#include "engine/version_store.h"
#include "os/file_system.h"

namespace qs {

struct VersionTarget {
  std::string folder;  ///< ending with a separator
  std::vector<StoredVersion> versions;
};

/// Reads `typed` as a TARGET. False, with the refusal in `why`, when it is no folder or, with
/// `need_versions`, holds no version folders.
bool OpenVersionTarget(FileSystem& fs, const std::string& typed, bool need_versions,
                       VersionTarget* target, std::string* why);

/// The refusal for a TARGET without version folders.
std::string NoVersionsMessage(const std::string& typed);

}  // namespace qs
