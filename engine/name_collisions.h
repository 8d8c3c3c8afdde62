// Source names that would land on one target file where the target ignores case
// ("Notes.txt" and "notes.txt"): the first is backed up, every later one is a failure.
#pragma once

#include <cstddef>
#include <vector>

#include "engine/file_list.h"
#include "os/file_system.h"

namespace qs {

struct NameCollision {
  size_t later;  ///< index in the list of the file that cannot be backed up
  size_t first;  ///< index of the earliest file with the same name in any case
};

/// Every later file whose path below the root (the first `root_length` characters left out)
/// equals an earlier one's but for case, in list order of the later file.
std::vector<NameCollision> FindNameCollisions(const FileList& list, size_t root_length);

/// What a copy of `source_path` to `target_path` ran into where the target's folder keeps that
/// name under another spelling: the source file of that spelling beside `source_path` when
/// there is one, else the target's entry, else (a spelling no table here folds alike)
/// `target_path` itself, which the volume resolves to that entry.
std::string CollidingEntry(FileSystem& fs, const std::string& source_path,
                           const std::string& target_path);

}  // namespace qs
