// The file-system seam over POSIX calls. Copies go into an unnamed (O_TMPFILE) or hidden
// temporary file beside the target and appear at the target in one step, complete and, once
// flushed, on the disk.
#include "os/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <utility>
#include <vector>

#include "os/posix/posix_copy_content.h"
#include "os/posix/posix_entry_name.h"
#include "os/posix/posix_fd.h"
#include "os/posix/posix_file_io.h"
#include "os/posix/posix_folder_access.h"
#include "os/posix/posix_path.h"
#include "os/posix/posix_temp_file.h"
#include "os/posix/posix_volume_kind.h"

namespace qs {

const char kPathSeparator = '/';
const char kTextLineEnd[] = "\n";

namespace {

using posix::Fail;
using posix::FailWith;
using posix::ScopedFd;
using posix::TempFile;

FileTime ToFileTime(const struct timespec& ts) {
  return {static_cast<int64_t>(ts.tv_sec), static_cast<int32_t>(ts.tv_nsec)};
}

DirectoryId IdOf(const struct stat& st) {
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

PathKind KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return PathKind::Directory;
  if (S_ISREG(mode)) return PathKind::File;
  return PathKind::Other;
}

EntryKind EntryKindOf(mode_t mode) {
  if (S_ISDIR(mode)) return EntryKind::Directory;
  if (S_ISREG(mode)) return EntryKind::File;
  return EntryKind::Special;
}

/// Errors that mean "nothing is there", as opposed to "could not look".
bool IsNotFound(int error) { return error == ENOENT || error == ENOTDIR; }

bool StatAt(const std::string& path, struct stat* st) {
  ResolvedPath at(path);
  if (!at.ok()) return Fail();
  return fstatat(at.dir(), at.rest().c_str(), st, 0) == 0 || Fail();
}

/// File systems whose syncfs writes back every dirty file of the volume and commits its
/// journal. Over FUSE or a network it may promise less, so copies there are flushed one by one.
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

/// Unnamed temporary files stay open until they are published: allow as many open files as
/// the system lets this process have, and keep a quarter of them for everything else.
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

/// Which volumes syncfs flushes whole, asked of each volume once: over FUSE every question
/// is a round trip.
class VolumeKinds {
 public:
  bool SyncsWhole(int fd, dev_t device) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& [known, whole] : kinds_)
      if (known == device) return whole;
    struct statfs fs;
    const bool whole = fstatfs(fd, &fs) == 0 && SyncsWholeVolume(fs);
    kinds_.emplace_back(device, whole);
    return whole;
  }

 private:
  std::mutex mutex_;
  std::vector<std::pair<dev_t, bool>> kinds_;
};

class PosixPendingCopy : public PendingCopy {
 public:
  explicit PosixPendingCopy(const std::string& to) : temp_(to) {}

  /// Copies the open source `in` into the temporary file.
  bool Fill(int in, const struct stat& st, const posix::ProcessIdentity& process,
            VolumeKinds& volumes) {
    if (!temp_.ok()) return Fail();
    ContentHasher hasher;
    if (!temp_.Create(st.st_mode & 0777) || !posix::CopyFileData(in, temp_.fd(), st, &hasher))
      return Fail();
    posix::CopyOwnerAndMode(temp_.fd(), st, process);
    attributes_error_ = posix::CopyExtendedAttributes(in, temp_.fd());
    // Taken again after the last byte: a file rewritten meanwhile would be a mix of two.
    if (!posix::StillAsBefore(in, st)) return Fail();
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

class PosixFileSystem : public FileSystem {
 public:
  PathInfo Stat(const std::string& path) override {
    struct stat st;
    if (!StatAt(path, &st))
      return {IsNotFound(errno) ? PathKind::Missing : PathKind::Unreadable, {}, 0, 0, {}};
    return {KindOf(st.st_mode), ToFileTime(st.st_mtim), static_cast<uint64_t>(st.st_size),
            static_cast<uint64_t>(st.st_dev), ToFileTime(st.st_ctim)};
  }

  bool IdentifyDirectory(const std::string& path, DirectoryId* id) override {
    struct stat st;
    if (!StatAt(path, &st)) return false;
    if (!S_ISDIR(st.st_mode)) return FailWith(ENOTDIR);
    *id = IdOf(st);
    return true;
  }

  bool ListDirectory(const std::string& path, DirListing* listing) override;
  bool IsMountRoot(const std::string& path) override;

  MakeDirResult MakeDirectory(const std::string& path) override {
    ResolvedPath at(path);
    if (at.ok() && mkdirat(at.dir(), at.rest().c_str(), 0777) == 0) return MakeDirResult::Created;
    Fail();
    return errno == EEXIST ? MakeDirResult::AlreadyExists : MakeDirResult::Failed;
  }

  std::unique_ptr<PendingCopy> PrepareCopy(const std::string& from, const std::string& to) override;
  bool CheckCopyTarget(const std::string& to) override;
  bool IsStoredUnderItsName(const std::string& path) override;
  bool CheckCopySource(const std::string& from) override;
  bool CheckMayCreateIn(const std::string& path) override { return posix::MayCreateIn(path); }
  bool SyncVolume(const std::string& path) override;
  bool SyncDirectory(const std::string& path) override;
  VolumeHint DescribeVolume(const std::string& path) override;
  bool CreateEmptyFile(const std::string& path) override;
  bool SetLastWriteTime(const std::string& path, FileTime time) override;
  bool RemoveFile(const std::string& path) override;
  bool RemoveDirectory(const std::string& path) override;
  bool Rename(const std::string& from, const std::string& to) override;
  bool WriteWholeFile(const std::string& path, const std::string& content) override;
  std::unique_ptr<FileReader> OpenForReading(const std::string& path) override {
    return posix::OpenFileReader(path);
  }
  bool AppendToFile(const std::string& path, const std::string& bytes) override {
    return posix::AppendAndFlush(path, bytes);
  }

  size_t PendingCopyLimit() override { return pending_limit_; }
  uint32_t LastErrorCode() override { return posix::LastError(); }

 private:
  /// False, with the error, when the listing broke off.
  static bool ReadEntries(DIR* dir, DirListing* listing);
  static DirEntry LinkOrUnknownEntry(int dir_fd, const char* name);
  bool OpenSource(const std::string& from, ScopedFd* in, struct stat* st);
  /// Opens `path` for reading (a directory or a file), or fails.
  static bool OpenForSync(const std::string& path, ScopedFd* fd);

  const posix::ProcessIdentity process_ = posix::ReadProcessIdentity();
  VolumeKinds volumes_;
  const size_t pending_limit_ = RaiseOpenFileLimit();
};

bool PosixFileSystem::ListDirectory(const std::string& path, DirListing* listing) {
  listing->entries.clear();
  ResolvedPath at(path);
  if (!at.ok()) return Fail();
  const int fd = openat(at.dir(), at.rest().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return Fail();
  struct stat st;
  DIR* dir = fstat(fd, &st) == 0 ? fdopendir(fd) : nullptr;
  if (dir == nullptr) {
    Fail();
    close(fd);
    return false;
  }
  listing->id = IdOf(st);
  const bool read_all = ReadEntries(dir, listing);
  if (!read_all) listing->entries.clear();
  closedir(dir);
  return read_all;
}

// The flag is the kernel's own (Linux 5.8 and later); an older one does not say, and then
// only the device tells a mount apart.
bool PosixFileSystem::IsMountRoot(const std::string& path) {
  ResolvedPath at(path);
  struct statx stx {};
  if (!at.ok() || statx(at.dir(), at.rest().c_str(), AT_SYMLINK_NOFOLLOW, 0, &stx) != 0)
    return Fail();
  return (stx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 &&
         (stx.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
}

/// Links are followed. A link that leads nowhere (or into a loop of links) holds no data.
DirEntry PosixFileSystem::LinkOrUnknownEntry(int dir_fd, const char* name) {
  DirEntry entry;
  entry.name = name;
  struct stat self;
  entry.link = fstatat(dir_fd, name, &self, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(self.st_mode);
  struct stat st;
  if (fstatat(dir_fd, name, &st, 0) == 0) {
    entry.kind = EntryKindOf(st.st_mode);
    entry.lastWrite = ToFileTime(st.st_mtim);
    entry.size = static_cast<uint64_t>(st.st_size);
    return entry;
  }
  const int error = errno;
  struct stat link;
  const bool is_link =
      fstatat(dir_fd, name, &link, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(link.st_mode);
  if (is_link && (error == ENOENT || error == ELOOP || error == ENOTDIR)) {
    entry.kind = EntryKind::DanglingLink;
  } else {
    // Unreadable: listed, so that its copy fails with the reason rather than it going missing.
    entry.lastWrite = {};
  }
  return entry;
}

bool PosixFileSystem::ReadEntries(DIR* dir, DirListing* listing) {
  const int fd = dirfd(dir);
  for (;;) {
    // readdir ends a listing and fails alike, with a null entry: only errno tells them apart.
    // A failed one would otherwise leave out the rest of the folder without a word.
    errno = 0;
    const struct dirent* d = readdir(dir);
    if (d == nullptr) return errno == 0 || Fail();
    const char* name = d->d_name;
    if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
    if (d->d_type == DT_LNK || d->d_type == DT_UNKNOWN) {
      listing->entries.push_back(LinkOrUnknownEntry(fd, name));
      continue;
    }
    DirEntry entry;
    entry.name = name;
    // A file's time is read later, and only if it is needed.
    if (d->d_type == DT_DIR)
      entry.kind = EntryKind::Directory;
    else if (d->d_type != DT_REG)
      entry.kind = EntryKind::Special;
    listing->entries.push_back(std::move(entry));
  }
}

bool PosixFileSystem::OpenSource(const std::string& from, ScopedFd* in, struct stat* st) {
  ResolvedPath at(from);
  if (!at.ok()) return Fail();
  // O_NONBLOCK: opening a pipe must not wait for a writer.
  in->reset(openat(at.dir(), at.rest().c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (in->get() < 0 || fstat(in->get(), st) != 0) return Fail();
  if (!S_ISREG(st->st_mode)) return FailWith(S_ISDIR(st->st_mode) ? EISDIR : EINVAL);
  return true;
}

std::unique_ptr<PendingCopy> PosixFileSystem::PrepareCopy(const std::string& from,
                                                          const std::string& to) {
  ScopedFd in;
  struct stat st;
  if (!OpenSource(from, &in, &st)) return nullptr;
  auto copy = std::make_unique<PosixPendingCopy>(to);
  if (!copy->Fill(in.get(), st, process_, volumes_)) return nullptr;
  return copy;
}

bool PosixFileSystem::CheckCopyTarget(const std::string& to) {
  TempFile temp(to);
  return (temp.ok() && temp.CheckTargetIsFileOrMissing()) || Fail();
}

bool PosixFileSystem::IsStoredUnderItsName(const std::string& path) {
  ResolvedPath at(path);
  if (!at.ok()) return Fail();
  const std::string& rest = at.rest();
  const std::string name = rest.substr(rest.rfind('/') + 1);
  return posix::FolderListsExactName(at.dir(), at.RestParent(), name) || Fail();
}

bool PosixFileSystem::CheckCopySource(const std::string& from) {
  ScopedFd in;
  struct stat st;
  return OpenSource(from, &in, &st);
}

bool PosixFileSystem::OpenForSync(const std::string& path, ScopedFd* fd) {
  ResolvedPath at(path);
  if (!at.ok()) return Fail();
  fd->reset(openat(at.dir(), at.rest().c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  return fd->get() >= 0 || Fail();
}

bool PosixFileSystem::SyncVolume(const std::string& path) {
  ScopedFd fd;
  if (!OpenForSync(path, &fd)) return false;
  struct statfs volume;
  if (fstatfs(fd.get(), &volume) != 0) return Fail();
  if (!SyncsWholeVolume(volume)) return FailWith(EOPNOTSUPP);
  return syncfs(fd.get()) == 0 || Fail();
}

bool PosixFileSystem::SyncDirectory(const std::string& path) {
  ScopedFd fd;
  if (!OpenForSync(path, &fd)) return false;
  // Some file systems cannot flush a directory on its own; their names go with the files.
  // EROFS is no such case: ext4 gives it once an error has turned the volume read-only, and
  // the names written since may be gone after a remount.
  return fsync(fd.get()) == 0 || errno == EINVAL || Fail();
}

VolumeHint PosixFileSystem::DescribeVolume(const std::string& path) {
  ResolvedPath at(path);
  struct stat st;
  if (!at.ok() || fstatat(at.dir(), at.rest().c_str(), &st, 0) != 0) return {};
  ScopedFd fd;
  struct statfs fs;
  if (!OpenForSync(path, &fd) || fstatfs(fd.get(), &fs) != 0) return {};
  return posix::HintForVolume(static_cast<unsigned long>(fs.f_type), st.st_dev);
}

bool PosixFileSystem::CreateEmptyFile(const std::string& path) {
  ResolvedPath at(path);
  if (!at.ok()) return Fail();
  ScopedFd fd(openat(at.dir(), at.rest().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  return fd.get() >= 0 || Fail();
}

bool PosixFileSystem::SetLastWriteTime(const std::string& path, FileTime time) {
  ResolvedPath at(path);
  struct stat st;
  if (!at.ok() || fstatat(at.dir(), at.rest().c_str(), &st, 0) != 0) return Fail();
  // The access time is given as it is, not left out: file systems over FUSE (fusefat,
  // exfat-fuse) ignore a new last-write time that comes without one.
  struct timespec times[2];
  times[0] = st.st_atim;
  times[1].tv_sec = static_cast<time_t>(time.seconds);
  times[1].tv_nsec = time.nanos;
  return utimensat(at.dir(), at.rest().c_str(), times, 0) == 0 || Fail();
}

bool PosixFileSystem::RemoveFile(const std::string& path) {
  ResolvedPath at(path);
  if (!at.ok()) return Fail();
  return unlinkat(at.dir(), at.rest().c_str(), 0) == 0 || Fail();
}

bool PosixFileSystem::RemoveDirectory(const std::string& path) {
  ResolvedPath at(path);
  if (!at.ok()) return Fail();
  return unlinkat(at.dir(), at.rest().c_str(), AT_REMOVEDIR) == 0 || Fail();
}

bool PosixFileSystem::Rename(const std::string& from, const std::string& to) {
  ResolvedPath old_at(from), new_at(to);
  if (!old_at.ok() || !new_at.ok()) return Fail();
  // Never onto something: an empty folder would otherwise be replaced without a word.
  return renameat2(old_at.dir(), old_at.rest().c_str(), new_at.dir(), new_at.rest().c_str(),
                   RENAME_NOREPLACE) == 0 ||
         Fail();
}

bool PosixFileSystem::WriteWholeFile(const std::string& path, const std::string& content) {
  TempFile temp(path);
  if (!temp.ok() || !temp.Create(0666)) return Fail();
  for (size_t done = 0; done < content.size();) {
    const ssize_t n = write(temp.fd(), content.data() + done, content.size() - done);
    if (n < 0 && errno != EINTR) return Fail();
    if (n > 0) done += static_cast<size_t>(n);
  }
  return (fdatasync(temp.fd()) == 0 && temp.Publish()) || Fail();
}

}  // namespace

std::unique_ptr<FileSystem> MakeRealFileSystem() { return std::make_unique<PosixFileSystem>(); }

}  // namespace qs
