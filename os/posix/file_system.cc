// The file-system seam over POSIX calls. Copies go into an unnamed (O_TMPFILE) or hidden
// temporary file beside the target and appear at the target in one step, complete and, once
// flushed, on the disk.
#include "os/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
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
#include "os/posix/posix_listing.h"
#include "os/posix/posix_path.h"
#include "os/posix/posix_pending_copy.h"
#include "os/posix/posix_temp_file.h"
#include "os/posix/posix_volume_kind.h"

namespace qs {

const char kPathSeparator = '/';
const char kTextLineEnd[] = "\n";

namespace {

using posix::Fail;
using posix::FailWith;
using posix::IdOf;
using posix::ScopedFd;
using posix::TempFile;
using posix::ToFileTime;

PathKind KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return PathKind::Directory;
  if (S_ISREG(mode)) return PathKind::File;
  return PathKind::Other;
}

/// Errors that mean "nothing is there", as opposed to "could not look".
bool IsNotFound(int error) { return error == ENOENT || error == ENOTDIR; }

bool StatAt(const std::string& path, struct stat* st) {
  ResolvedPath at(path);
  if (!at.ok()) return Fail();
  return fstatat(at.dir(), at.rest().c_str(), st, 0) == 0 || Fail();
}

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

  bool ListDirectory(const std::string& path, DirListing* listing) override {
    return posix::ListDirectory(path, listing);
  }
  bool IsMountRoot(const std::string& path) override { return posix::IsMountRoot(path); }

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
  bool OpenSource(const std::string& from, ScopedFd* in, struct stat* st);
  /// Opens `path` for reading (a directory or a file), or fails.
  static bool OpenForSync(const std::string& path, ScopedFd* fd);

  const posix::ProcessIdentity process_ = posix::ReadProcessIdentity();
  posix::VolumeKinds volumes_;
  const size_t pending_limit_ = posix::RaiseOpenFileLimit();
};

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
  return posix::CopyToPending(in.get(), st, to, process_, volumes_);
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
  if (!posix::SyncsWholeVolume(volume)) return FailWith(EOPNOTSUPP);
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
