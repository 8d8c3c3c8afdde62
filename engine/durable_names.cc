// A new name lives in its directory, and a new directory in its parent: on a volume without
// a whole-volume flush, each directory from the file up to the target root is flushed once.
#include "engine/durable_names.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <system_error>
#include <thread>

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
  const std::string top = existed_.empty() || existed_.size() > root.size() ? root : existed_;
  while (!dir.empty() && directories_.insert(dir).second && dir != top && dir.size() > top.size() &&
         HasParent(dir)) {
    dir = ParentPath(dir);
  }
}

bool DurableNames::Sync(FileSystem& fs,
                        const std::function<void(const std::string&, uint32_t)>& failed,
                        int threads) {
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
  const std::vector<std::optional<uint32_t>> codes = SyncDirectories(fs, threads);
  size_t at = 0;
  for (const std::string& dir : directories_) {
    const std::optional<uint32_t>& code = codes[at++];
    if (!code) continue;
    failed(dir, *code);
    all = false;
  }
  return all;
}

std::vector<std::optional<uint32_t>> DurableNames::SyncDirectories(FileSystem& fs,
                                                                   int threads) const {
  const std::vector<const std::string*> dirs = [this] {
    std::vector<const std::string*> all;
    all.reserve(directories_.size());
    for (const std::string& dir : directories_) all.push_back(&dir);
    return all;
  }();
  std::vector<std::optional<uint32_t>> codes(dirs.size());
  std::atomic<size_t> next{0};
  const auto work = [&] {
    for (size_t at = next++; at < dirs.size(); at = next++)
      if (!fs.SyncDirectory(*dirs[at])) codes[at] = fs.LastErrorCode();
  };
  std::vector<std::thread> helpers;
  const size_t wanted = std::min<size_t>(static_cast<size_t>(std::max(threads, 1)), dirs.size());
  for (size_t i = 1; i < wanted; ++i) {
    try {
      helpers.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // fewer threads: the others flush the rest
    }
  }
  work();
  for (std::thread& helper : helpers) helper.join();
  return codes;
}

}  // namespace qs
