// A copy made into a hidden temporary file beside its target, flushed and put in place later.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>
#include <sys/vfs.h>

#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "os/file_system.h"
#include "os/posix/posix_copy_content.h"

namespace qs::posix {

FileTime ToFileTime(const struct timespec& ts);

/// File systems whose syncfs writes back every dirty file of the volume and commits its
/// journal. Over FUSE or a network it may promise less, so copies there are flushed one by one.
bool SyncsWholeVolume(const struct statfs& fs);

/// How many copies may wait unpublished, each holding its temporary file open: the open-file
/// limit is raised as far as the system lets this process, and a quarter of it kept for the rest.
size_t RaiseOpenFileLimit();

/// Which volumes syncfs flushes whole, asked of each volume once: over FUSE every question
/// is a round trip.
class VolumeKinds {
 public:
  bool SyncsWhole(int fd, dev_t device);

 private:
  std::mutex mutex_;
  std::vector<std::pair<dev_t, bool>> kinds_;
};

/// The copy of the open source `in` (whose status is `st`) into a temporary file beside `to`;
/// null, with the error, when it failed.
std::unique_ptr<PendingCopy> CopyToPending(int in, const struct stat& st, const std::string& to,
                                           const ProcessIdentity& process, VolumeKinds& volumes);

}  // namespace qs::posix
