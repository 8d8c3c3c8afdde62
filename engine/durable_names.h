// The names a batch of copies has put in place, so that the batch's lines can wait until they
// are durable: one flush per volume where the system has one, else one per directory.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "os/file_system.h"

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
  /// The highest folder whose directory is flushed: the one that existed, else the root.
  std::string Top() const;
  /// Flushes the directories; records the code of each that failed.
  void SyncDirectories(FileSystem& fs, int threads);

  const std::string target_root_;
  std::string existed_;
  std::vector<Volume> volumes_;  ///< with a whole-volume flush
  /// Directories to flush; after Sync, the code of each whose flush failed.
  std::map<std::string, std::optional<uint32_t>> directories_;
};

}  // namespace qs
