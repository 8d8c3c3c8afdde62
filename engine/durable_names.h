// The names a batch of copies has put in place, so that the batch's lines can wait until they
// are durable: one flush per volume where the system has one, else one per directory.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace qs {

class DurableNames {
 public:
  explicit DurableNames(std::string target_root) : target_root_(std::move(target_root)) {}

  /// A file published at `path` on `volume`; `with_volume` as its copy's FlushedWithVolume.
  void Published(const std::string& path, uint64_t volume, bool with_volume);

  /// Flushes every volume and directory recorded since the last Clear, directories on up to
  /// `threads` threads (a slow target answers each flush late). A volume whose flush fails
  /// has the directories of its names flushed one by one instead.
  void Sync(FileSystem& fs, int threads = 1);
  /// After Sync, for a name recorded with these: the error code of the flush that failed for
  /// it, or nothing when the name is durable.
  std::optional<uint32_t> FailureOf(const std::string& path, uint64_t volume,
                                    bool with_volume) const;
  /// Forgets every name: the next batch starts afresh.
  void Clear();

 private:
  struct Volume {
    uint64_t id;
    std::string sample;                    ///< a directory on it
    std::vector<std::string> directories;  ///< of its names, flushed if the volume's flush fails
    std::optional<uint32_t> failure;
  };
  /// Adds `dir` and its parents up to the target root.
  void AddDirectories(std::string dir);
  /// Flushes the directories; records the code of each that failed.
  void SyncDirectories(FileSystem& fs, int threads);

  const std::string target_root_;
  std::vector<Volume> volumes_;  ///< with a whole-volume flush
  /// Directories to flush; after Sync, the code of each whose flush failed.
  std::map<std::string, std::optional<uint32_t>> directories_;
};

}  // namespace qs
