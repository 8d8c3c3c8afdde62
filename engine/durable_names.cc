// A new name lives in its directory, and a new directory in its parent: on a volume without
// a whole-volume flush, each directory from the file up to the target root is flushed once.
#include "engine/durable_names.h"

#include "engine/paths.h"

namespace qs {

void DurableNames::Published(const std::string& path, uint64_t volume, bool with_volume) {
  const std::string dir = ParentPath(path);
  for (const Volume& known : volumes_)
    if (known.id == volume && known.withVolume == with_volume) {
      if (!with_volume) AddDirectories(dir);
      return;
    }
  volumes_.push_back({volume, with_volume, dir});
  if (!with_volume) AddDirectories(dir);
}

void DurableNames::MadeDirectory(const std::string& path) { AddDirectories(path); }

void DurableNames::AddDirectories(std::string dir) {
  const std::string root = WithoutTrailingSeparator(target_root_);
  while (!dir.empty() && directories_.insert(dir).second && dir != root &&
         dir.size() > root.size() && HasParent(dir)) {
    dir = ParentPath(dir);
  }
}

bool DurableNames::Sync(FileSystem& fs,
                        const std::function<void(const std::string&, uint32_t)>& failed) {
  bool all = true;
  bool whole_volume_flushed_everything = !volumes_.empty();
  for (const Volume& volume : volumes_) {
    if (!volume.withVolume) {
      whole_volume_flushed_everything = false;
      continue;
    }
    if (!fs.SyncVolume(volume.sample)) {
      failed(volume.sample, fs.LastErrorCode());
      all = false;
    }
  }
  if (whole_volume_flushed_everything) return all;
  for (const std::string& dir : directories_) {
    if (fs.SyncDirectory(dir)) continue;
    failed(dir, fs.LastErrorCode());
    all = false;
  }
  return all;
}

}  // namespace qs
