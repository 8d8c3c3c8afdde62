// Removing a folder and everything below it, without ever reaching outside its file system:
// what a prune does to a version folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "os/file_system.h"

namespace qs {

/// What a removal did.
struct Removal {
  uint64_t bytes = 0;  ///< the sizes of the files removed
  /// The last path that could not be removed, and its error code; empty when none.
  std::string failed;
  uint32_t code = 0;
  /// Folders where another file system is mounted (or that lie on another device): left
  /// whole, with everything in them.
  std::vector<std::string> mounted;

  bool Complete() const { return failed.empty() && mounted.empty(); }
};

/// Removes `path` and everything below it. Links are removed, never followed. A folder on
/// another device than `path`, or the root of a mount (a bind mount of the same device), is
/// never entered: it is left whole and named in `mounted`.
Removal RemoveTree(FileSystem& fs, const std::string& path);

}  // namespace qs
