// A new name lives in its directory, and a new directory in its parent: where a volume cannot
// be flushed whole, each directory from the file up to the target root is flushed once.
#include "engine/durable_names.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>

#include "engine/paths.h"

namespace qs {

void DurableNames::Published(const std::string& path, uint64_t volume, bool with_volume) {
  std::string dir = ParentPath(path);
  if (!with_volume) return AddDirectories(std::move(dir));
  const auto known = std::find_if(volumes_.begin(), volumes_.end(),
                                  [volume](const Volume& v) { return v.id == volume; });
  if (known == volumes_.end()) {
    volumes_.push_back({volume, dir, {dir}, std::nullopt});
    return;
  }
  // The files of one directory come one after another: most names add nothing here.
  if (known->directories.back() != dir) known->directories.push_back(std::move(dir));
}

std::string DurableNames::Top() const {
  const std::string root = WithoutTrailingSeparator(target_root_);
  return existed_.empty() || existed_.size() > root.size() ? root : existed_;
}

void DurableNames::MadeDirectory(const std::string& path) { AddDirectories(path); }

void DurableNames::AddDirectories(std::string dir) {
  const std::string top = Top();
  while (!dir.empty() && directories_.emplace(dir, std::nullopt).second && dir != top &&
         dir.size() > top.size() && HasParent(dir)) {
    dir = ParentPath(dir);
  }
}

void DurableNames::Sync(FileSystem& fs, int threads) {
  for (Volume& volume : volumes_) {
    if (fs.SyncVolume(volume.sample)) continue;
    volume.failure = fs.LastErrorCode();
    for (const std::string& dir : volume.directories) AddDirectories(dir);
  }
  SyncDirectories(fs, threads);
}

std::optional<uint32_t> DurableNames::FailureOf(const std::string& path, uint64_t volume,
                                                bool with_volume) const {
  if (with_volume) {
    const auto known = std::find_if(volumes_.begin(), volumes_.end(),
                                    [volume](const Volume& v) { return v.id == volume; });
    if (known != volumes_.end() && !known->failure) return std::nullopt;
    // Its directories were to be flushed instead: without them, the volume's failure stands.
    if (known != volumes_.end() && directories_.count(ParentPath(path)) == 0) return known->failure;
  }
  const std::string top = Top();
  for (std::string dir = ParentPath(path); !dir.empty(); dir = ParentPath(dir)) {
    const auto at = directories_.find(dir);
    if (at != directories_.end() && at->second) return at->second;
    if (dir == top || dir.size() <= top.size() || !HasParent(dir)) break;
  }
  return std::nullopt;
}

void DurableNames::Clear() {
  volumes_.clear();
  directories_.clear();
}

void DurableNames::SyncDirectories(FileSystem& fs, int threads) {
  std::vector<std::pair<const std::string*, std::optional<uint32_t>*>> dirs;
  dirs.reserve(directories_.size());
  for (auto& [dir, failure] : directories_) dirs.emplace_back(&dir, &failure);
  std::atomic<size_t> next{0};
  const auto work = [&] {
    for (size_t at = next++; at < dirs.size(); at = next++)
      if (!fs.SyncDirectory(*dirs[at].first)) *dirs[at].second = fs.LastErrorCode();
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
}

}  // namespace qs
