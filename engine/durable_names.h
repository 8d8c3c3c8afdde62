// The names a run has put in place, so that the run can make them durable before it says it
// is complete: one flush per volume where the system has one, else one per directory.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace qs {

class DurableNames {
 public:
  explicit DurableNames(std::string target_root) : target_root_(std::move(target_root)) {}

  /// A file published at `path` on `volume`; `with_volume` as its copy's FlushedWithVolume.
  void Published(const std::string& path, uint64_t volume, bool with_volume);
  /// A directory whose own name must last too (a version folder that may stay empty).
  void MadeDirectory(const std::string& path);
  /// The nearest folder at or above the target root that existed before the run: the folders
  /// the run makes between it and the root are flushed too, it included, so that the root's
  /// own name lasts. Empty: none is known, the root is the top.
  void ExistedBefore(std::string folder) { existed_ = std::move(folder); }

  /// Flushes every volume and directory recorded, directories on up to `threads` threads (a
  /// slow target answers each flush late); calls `failed`, on this thread and in path order,
  /// with each path that could not be flushed and the error code. True when all were flushed.
  bool Sync(FileSystem& fs, const std::function<void(const std::string&, uint32_t)>& failed,
            int threads = 1);

 private:
  struct Volume {
    uint64_t id;
    bool withVolume;
    std::string sample;  ///< a directory on it
  };
  /// Adds `dir` and its parents up to the target root.
  void AddDirectories(std::string dir);
  /// Flushes the directories; by their place in the set, the code of each that failed.
  std::vector<std::optional<uint32_t>> SyncDirectories(FileSystem& fs, int threads) const;

  const std::string target_root_;
  std::string existed_;
  std::vector<Volume> volumes_;
  std::set<std::string> directories_;  ///< on volumes without a whole-volume flush
};

}  // namespace qs
