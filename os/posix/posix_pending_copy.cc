// The copy of one file: its bytes, owner, mode, extended attributes and times go to a temporary
// file, which is flushed and published by name only when the run is ready for it.
#include "os/posix/posix_pending_copy.h"

#include <sys/resource.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>

#include "os/posix/posix_fd.h"
#include "os/posix/posix_temp_file.h"

namespace qs::posix {

namespace {

class PosixPendingCopy : public PendingCopy {
 public:
  explicit PosixPendingCopy(const std::string& to) : temp_(to) {}

  /// Copies the open source `in` into the temporary file.
  bool Fill(int in, const struct stat& st, const ProcessIdentity& process, VolumeKinds& volumes) {
    if (!temp_.ok()) return Fail();
    ContentHasher hasher;
    if (!temp_.Create(st.st_mode & 0777) || !CopyFileData(in, temp_.fd(), st, &hasher))
      return Fail();
    CopyOwnerAndMode(temp_.fd(), st, process);
    attributes_error_ = CopyExtendedAttributes(in, temp_.fd());
    // Taken again after the last byte: a file rewritten meanwhile would be a mix of two.
    if (!StillAsBefore(in, st)) return Fail();
    times_[0] = st.st_atim;
    times_[1] = st.st_mtim;
    // The device number, not the file system's id: two cloned volumes may share an id.
    struct stat written;
    if (futimens(temp_.fd(), times_) != 0 || fstat(temp_.fd(), &written) != 0) return Fail();
    volume_ = static_cast<uint64_t>(written.st_dev);
    with_volume_ = volumes.SyncsWhole(temp_.fd(), written.st_dev);
    content_ = {true, static_cast<uint64_t>(st.st_size), ToFileTime(st.st_mtim), true,
                hasher.Result()};
    return true;
  }

  uint64_t Volume() const override { return volume_; }
  bool FlushedWithVolume() const override { return with_volume_; }
  bool Flush() override { return fdatasync(temp_.fd()) == 0 || Fail(); }
  bool Publish() override { return Published(temp_.Publish()); }
  bool PublishNew() override { return Published(temp_.PublishNew()); }
  uint32_t AttributesNotKept() const override { return attributes_error_; }
  CopiedContent Content() const override { return content_; }

 private:
  bool Published(bool done) {
    if (!done) return Fail();
    // Some file systems over FUSE (fusefat) give a renamed file the time of the rename: the
    // copy would look newer than its source, and a later change would never be copied.
    if (!with_volume_) temp_.SetTargetTimes(times_);
    return true;
  }

  TempFile temp_;
  struct timespec times_[2] = {};
  uint64_t volume_ = 0;
  bool with_volume_ = false;
  uint32_t attributes_error_ = 0;
  CopiedContent content_;
};

}  // namespace

bool SyncsWholeVolume(const struct statfs& fs) {
  switch (static_cast<unsigned long>(fs.f_type)) {
    case 0xEF53:      // ext2, ext3, ext4
    case 0x58465342:  // XFS
    case 0x9123683E:  // btrfs
    case 0xF2F52010:  // F2FS
    case 0x01021994:  // tmpfs (nothing to flush)
      return true;
    default:
      return false;
  }
}

size_t RaiseOpenFileLimit() {
  struct rlimit limit;
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return 256;
  const rlim_t wanted = std::min<rlim_t>(limit.rlim_max, 65536);
  if (limit.rlim_cur < wanted) {
    limit.rlim_cur = wanted;
    if (setrlimit(RLIMIT_NOFILE, &limit) != 0) getrlimit(RLIMIT_NOFILE, &limit);
  }
  return static_cast<size_t>(std::clamp<rlim_t>(limit.rlim_cur / 4 * 3, 16, 4096));
}

FileTime ToFileTime(const struct timespec& ts) {
  return {static_cast<int64_t>(ts.tv_sec), static_cast<int32_t>(ts.tv_nsec)};
}

bool VolumeKinds::SyncsWhole(int fd, dev_t device) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& [known, whole] : kinds_)
    if (known == device) return whole;
  struct statfs fs;
  const bool whole = fstatfs(fd, &fs) == 0 && SyncsWholeVolume(fs);
  kinds_.emplace_back(device, whole);
  return whole;
}

std::unique_ptr<PendingCopy> CopyToPending(int in, const struct stat& st, const std::string& to,
                                           const ProcessIdentity& process, VolumeKinds& volumes) {
  auto copy = std::make_unique<PosixPendingCopy>(to);
  if (!copy->Fill(in, st, process, volumes)) return nullptr;
  return copy;
}

}  // namespace qs::posix
