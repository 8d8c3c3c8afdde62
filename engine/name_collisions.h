// Source names that would land on one target file where the target ignores case
// ("Notes.txt" and "notes.txt"): the first is backed up, every later one is a failure.
#pragma once

#include <cstddef>
#include <vector>

#include "engine/file_list.h"

namespace qs {

struct NameCollision {
  size_t later;  ///< index in the list of the file that cannot be backed up
  size_t first;  ///< index of the earliest file with the same name in any case
};

/// Every later file whose path below the root (the first `root_length` characters left out)
/// equals an earlier one's but for case, in list order of the later file.
std::vector<NameCollision> FindNameCollisions(const FileList& list, size_t root_length);

}  // namespace qs
