// The file-system seam over POSIX calls. Copies go into an unnamed (O_TMPFILE) or hidden
// temporary file beside the target and appear at the target in one step, complete.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/copy_temp_name.h"
#include "platform/file_system.h"
#include "platform/posix_path.h"

namespace qs {

const char kPathSeparator = '/';

namespace {

thread_local uint32_t t_last_error = 0;

/// Records errno as this thread's last error and returns false, for one-line failure exits.
bool Fail() {
  t_last_error = static_cast<uint32_t>(errno);
  return false;
}

bool FailWith(int code) {
  errno = code;
  return Fail();
}

FileTime ToFileTime(const struct timespec& ts) {
  return static_cast<FileTime>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

DirectoryId IdOf(const struct stat& st) {
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

EntryKind EntryKindOf(mode_t mode) {
  if (S_ISDIR(mode)) return EntryKind::Directory;
  if (S_ISREG(mode)) return EntryKind::File;
  return EntryKind::Special;
}

/// Closes a descriptor when it goes out of scope, keeping errno as it was.
class ScopedFd {
 public:
  explicit ScopedFd(int fd = -1) : fd_(fd) {}
  ~ScopedFd() {
    if (fd_ < 0) return;
    const int saved = errno;
    close(fd_);
    errno = saved;
  }
  ScopedFd(const ScopedFd&) = delete;
  ScopedFd& operator=(const ScopedFd&) = delete;
  int get() const { return fd_; }
  void reset(int fd) { fd_ = fd; }

 private:
  int fd_;
};

bool StatAt(const std::string& path, struct stat* st) {
  ResolvedPath at(path);
  if (!at.ok()) return Fail();
  return fstatat(at.dir(), at.rest().c_str(), st, 0) == 0 || Fail();
}

/// Copies `size` bytes (fewer if the file shrank) in the kernel where it can.
bool CopyData(int in, int out, off_t size) {
  bool kernel_copy = true;
  while (size > 0) {
    ssize_t n;
    if (kernel_copy) {
      n = copy_file_range(in, nullptr, out, nullptr, static_cast<size_t>(size), 0);
      if (n < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
        kernel_copy = false;
        continue;
      }
    } else {
      thread_local std::vector<char> buffer(size_t{1} << 17);
      n = read(in, buffer.data(), buffer.size());
      for (ssize_t done = 0; n > 0 && done < n;) {
        const ssize_t w = write(out, buffer.data() + done, static_cast<size_t>(n - done));
        if (w < 0 && errno != EINTR) return false;
        if (w > 0) done += w;
      }
    }
    if (n == 0) return true;  // the file shrank while we copied
    if (n < 0 && errno != EINTR) return false;
    if (n > 0) size -= n;
  }
  return true;
}

/// A temporary file beside the target: unnamed where the system allows, else hidden.
class TempFile {
 public:
  TempFile(const ResolvedPath& target, mode_t mode) : target_(target), mode_(mode) {}
  ~TempFile() {
    if (!name_.empty()) unlinkat(target_.dir(), name_.c_str(), 0);
  }
  bool Create();
  int fd() const { return fd_.get(); }
  /// Makes the finished file appear at the target in one step.
  bool Publish();

 private:
  bool CreateNamed();
  bool LinkUnnamed(const std::string& name);
  std::string NewName() const { return target_.RestParent() + "/" + NewCopyTempName(); }

  const ResolvedPath& target_;
  const mode_t mode_;
  ScopedFd fd_;
  std::string name_;  ///< relative to the target's directory descriptor; empty while unnamed
};

bool TempFile::Create() {
  const std::string parent = target_.RestParent();
  fd_.reset(openat(target_.dir(), parent.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode_));
  if (fd_.get() >= 0) return true;
  if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return false;
  return CreateNamed();
}

bool TempFile::CreateNamed() {
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = NewName();
    const int fd =
        openat(target_.dir(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode_);
    if (fd >= 0) {
      fd_.reset(fd);
      name_ = std::move(name);
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

bool TempFile::LinkUnnamed(const std::string& name) {
  const std::string proc = "/proc/self/fd/" + std::to_string(fd_.get());
  if (linkat(AT_FDCWD, proc.c_str(), target_.dir(), name.c_str(), AT_SYMLINK_FOLLOW) == 0)
    return true;
  if (errno != ENOENT || access("/proc/self/fd", F_OK) == 0) return false;
  return linkat(fd_.get(), "", target_.dir(), name.c_str(), AT_EMPTY_PATH) == 0;
}

bool TempFile::Publish() {
  if (name_.empty()) {
    // A new file appears whole under its name; if something is there, replace it below.
    if (LinkUnnamed(target_.rest())) return true;
    if (errno != EEXIST) return false;
    for (int attempt = 0; name_.empty() && attempt < 100; ++attempt) {
      const std::string name = NewName();
      if (LinkUnnamed(name))
        name_ = name;
      else if (errno != EEXIST)
        return false;
    }
    if (name_.empty()) return false;
  }
  if (renameat(target_.dir(), name_.c_str(), target_.dir(), target_.rest().c_str()) != 0)
    return false;
  name_.clear();
  return true;
}

mode_t ReadUmask() {
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}

class PosixFileSystem : public FileSystem {
 public:
  PathInfo Stat(const std::string& path) override {
    struct stat st;
    if (!StatAt(path, &st)) return {};
    return {S_ISDIR(st.st_mode) ? PathKind::Directory : PathKind::Other, ToFileTime(st.st_mtim)};
  }

  bool IdentifyDirectory(const std::string& path, DirectoryId* id) override {
    struct stat st;
    if (!StatAt(path, &st)) return false;
    if (!S_ISDIR(st.st_mode)) return FailWith(ENOTDIR);
    *id = IdOf(st);
    return true;
  }

  bool ListDirectory(const std::string& path, DirListing* listing) override;

  MakeDirResult MakeDirectory(const std::string& path) override {
    ResolvedPath at(path);
    if (at.ok() && mkdirat(at.dir(), at.rest().c_str(), 0777) == 0) return MakeDirResult::Created;
    Fail();
    return errno == EEXIST ? MakeDirResult::AlreadyExists : MakeDirResult::Failed;
  }

  bool CopyReplacing(const std::string& from, const std::string& to) override;

  uint32_t LastErrorCode() override { return t_last_error; }

 private:
  static void ReadEntries(DIR* dir, DirListing* listing);
  bool OpenSource(const std::string& from, ScopedFd* in, struct stat* st);

  const mode_t umask_ = ReadUmask();
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
  ReadEntries(dir, listing);
  closedir(dir);
  return true;
}

void PosixFileSystem::ReadEntries(DIR* dir, DirListing* listing) {
  const int fd = dirfd(dir);
  while (const struct dirent* d = readdir(dir)) {
    const char* name = d->d_name;
    if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
    DirEntry entry;
    entry.name = name;
    if (d->d_type == DT_DIR) {
      entry.kind = EntryKind::Directory;
    } else if (d->d_type == DT_REG) {
      entry.kind = EntryKind::File;  // its time is read later, and only if it is needed
    } else if (d->d_type != DT_LNK && d->d_type != DT_UNKNOWN) {
      entry.kind = EntryKind::Special;
    } else {
      struct stat st;
      // Links are followed; a dangling one stays a file whose time cannot be read.
      if (fstatat(fd, name, &st, 0) == 0) {
        entry.kind = EntryKindOf(st.st_mode);
        entry.lastWrite = ToFileTime(st.st_mtim);
      } else {
        entry.lastWrite = 0;
      }
    }
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

bool PosixFileSystem::CopyReplacing(const std::string& from, const std::string& to) {
  ScopedFd in;
  struct stat st;
  if (!OpenSource(from, &in, &st)) return false;
  ResolvedPath target(to);
  if (!target.ok()) return Fail();
  const mode_t mode = st.st_mode & 07777;
  TempFile temp(target, mode);
  if (!temp.Create() || !CopyData(in.get(), temp.fd(), st.st_size)) return Fail();
  // The mode given at creation lost the bits the umask holds; put them back.
  if ((mode & (umask_ | 07000)) != 0) (void)fchmod(temp.fd(), mode);
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  if (futimens(temp.fd(), times) != 0 || !temp.Publish()) return Fail();
  return true;
}

}  // namespace

std::unique_ptr<FileSystem> MakeRealFileSystem() { return std::make_unique<PosixFileSystem>(); }

}  // namespace qs
