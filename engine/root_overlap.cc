#include "engine/root_overlap.h"

#include "engine/paths.h"

namespace qs {

namespace {

// Deeper than any real tree; a walk that has not reached the root by then stops.
constexpr int kMostLevels = 4096;

}  // namespace

RootOverlap CompareRoots(FileSystem& fs, const std::string& source, const std::string& target) {
  DirectoryId target_id, id, previous;
  if (!fs.IdentifyDirectory(WithoutTrailingSeparator(target), &target_id))
    return RootOverlap::kApart;
  std::string folder = WithoutTrailingSeparator(source);
  if (!fs.IdentifyDirectory(folder, &id)) return RootOverlap::kApart;
  if (id == target_id) return RootOverlap::kSame;
  for (int level = 0; level < kMostLevels; ++level) {
    previous = id;
    folder = WithTrailingSeparator(folder) + "..";
    // The root is its own parent: the walk has reached the top.
    if (!fs.IdentifyDirectory(folder, &id) || id == previous) return RootOverlap::kApart;
    if (id == target_id) return RootOverlap::kSourceInside;
  }
  return RootOverlap::kApart;
}

}  // namespace qs
