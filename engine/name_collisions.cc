// Sorting hashes of the folded names keeps this to 16 bytes a file, so a million files cost
// 16 MB for the moment it runs; only equal hashes are compared in full.
#include "engine/name_collisions.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string_view>

#include "engine/case_folding.h"
#include "engine/paths.h"

namespace qs {

namespace {

std::string FoldedRelative(const FileList& list, size_t index, size_t root_length) {
  const std::string& path = list[index].path;
  return FoldCase(std::string_view(path).substr(std::min(root_length, path.size())));
}

/// Within one run of equal hashes (in list order), pairs each file with the earliest equal one.
void CollectRun(const FileList& list, size_t root_length,
                const std::vector<std::pair<uint64_t, uint32_t>>& keys, size_t begin, size_t end,
                std::vector<NameCollision>* found) {
  std::vector<std::pair<std::string, size_t>> seen;
  for (size_t k = begin; k < end; ++k) {
    const size_t index = keys[k].second;
    std::string folded = FoldedRelative(list, index, root_length);
    const auto same = std::find_if(seen.begin(), seen.end(),
                                   [&](const auto& entry) { return entry.first == folded; });
    if (same != seen.end())
      found->push_back({index, same->second});
    else
      seen.emplace_back(std::move(folded), index);
  }
}

/// The name in `folder` other than `name` that folds as `name` does; empty when none.
std::string OtherSpelling(FileSystem& fs, const std::string& folder, const std::string& name) {
  DirListing listing;
  if (!fs.ListDirectory(folder, &listing)) return "";
  const std::string folded = FoldCase(name);
  for (const DirEntry& entry : listing.entries)
    if (entry.name != name && FoldCase(entry.name) == folded) return entry.name;
  return "";
}

}  // namespace

std::string CollidingEntry(FileSystem& fs, const std::string& source_path,
                           const std::string& target_path) {
  if (!HasParent(target_path)) return target_path;
  const std::string folder = ParentPath(target_path);
  const std::string name = target_path.substr(folder.size() + 1);
  const std::string other =
      OtherSpelling(fs, folder.empty() ? std::string(1, kPathSeparator) : folder, name);
  if (other.empty()) return target_path;
  if (HasParent(source_path)) {
    // Spelt so in the source itself, where names may be found in any case too.
    const std::string source = ParentPath(source_path) + kPathSeparator + other;
    if (fs.Probe(source) == PathKind::File && fs.IsStoredUnderItsName(source)) return source;
  }
  return folder + kPathSeparator + other;
}

std::vector<NameCollision> FindNameCollisions(const FileList& list, size_t root_length) {
  std::vector<std::pair<uint64_t, uint32_t>> keys;
  keys.reserve(list.size());
  for (size_t i = 0; i < list.size(); ++i) {
    const std::string folded = FoldedRelative(list, i, root_length);
    keys.emplace_back(std::hash<std::string>()(folded), static_cast<uint32_t>(i));
  }
  std::sort(keys.begin(), keys.end());
  std::vector<NameCollision> found;
  for (size_t begin = 0, end; begin < keys.size(); begin = end) {
    for (end = begin + 1; end < keys.size() && keys[end].first == keys[begin].first;) ++end;
    if (end - begin > 1) CollectRun(list, root_length, keys, begin, end, &found);
  }
  std::sort(found.begin(), found.end(),
            [](const NameCollision& a, const NameCollision& b) { return a.later < b.later; });
  return found;
}

}  // namespace qs
