// The file-system seam over POSIX calls: fstatat listings, mkdir, and safe copies that go
// through an unnamed (O_TMPFILE) or hidden temporary file and appear at the target in one step.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "platform/file_system.h"
#include "platform/copy_temp_name.h"

namespace qs {

const char kPathSeparator = '/';

namespace {

thread_local uint32_t t_last_error = 0;

/// Records errno as this thread's last error and returns false, for one-line failure exits.
bool Fail() {
  t_last_error = static_cast<uint32_t>(errno);
  return false;
}

FileTime ToFileTime(const struct timespec& ts) {
  return static_cast<FileTime>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

PathKind KindOf(const struct stat& st) {
  return S_ISDIR(st.st_mode) ? PathKind::Directory : PathKind::Other;
}

EntryKind EntryKindOf(mode_t mode) {
  if (S_ISDIR(mode)) return EntryKind::Directory;
  if (S_ISREG(mode)) return EntryKind::File;
  return EntryKind::Special;
}

/// Closes a descriptor when it goes out of scope, keeping errno as it was.
class ScopedFd {
 public:
  explicit ScopedFd(int fd) : fd_(fd) {}
  ~ScopedFd() { Reset(); }
  ScopedFd(const ScopedFd&) = delete;
  ScopedFd& operator=(const ScopedFd&) = delete;
  int get() const { return fd_; }
  void Reset() {
    if (fd_ < 0) return;
    const int saved = errno;
    close(fd_);
    errno = saved;
    fd_ = -1;
  }

 private:
  int fd_;
};

std::string ParentDirectory(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

/// Copies the whole content of `in` to `out` in the kernel where it can, else through a buffer.
bool CopyData(int in, int out) {
  bool kernel_copy = true;
  for (;;) {
    ssize_t n;
    if (kernel_copy) {
      n = copy_file_range(in, nullptr, out, nullptr, size_t{1} << 30, 0);
      if (n < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
        kernel_copy = false;
        continue;
      }
    } else {
      char buffer[1 << 16];
      n = read(in, buffer, sizeof buffer);
      for (ssize_t done = 0; n > 0 && done < n;) {
        const ssize_t w = write(out, buffer + done, static_cast<size_t>(n - done));
        if (w < 0 && errno != EINTR) return false;
        if (w > 0) done += w;
      }
    }
    if (n == 0) return true;
    if (n < 0 && errno != EINTR) return false;
  }
}

/// Gives the copy the source's mode and times; a mode the target cannot keep is not an error.
bool CopyAttributes(int out, const struct stat& st) {
  (void)fchmod(out, st.st_mode & 07777);
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  return futimens(out, times) == 0;
}

/// A temporary file in `dir`: unnamed where the system allows, else with a hidden name.
struct TempFile {
  int fd = -1;
  std::string name;  ///< empty while the file is unnamed
};

bool CreateNamedTemp(const std::string& dir, TempFile* temp) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string path = dir + "/" + NewCopyTempName();
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      temp->fd = fd;
      temp->name = std::move(path);
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

bool CreateTemp(const std::string& dir, TempFile* temp) {
  temp->fd = open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (temp->fd >= 0) return true;
  if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return false;
  return CreateNamedTemp(dir, temp);
}

/// Gives an unnamed file the name `path`; fails with EEXIST when something is there.
bool LinkUnnamed(int fd, const std::string& path) {
  const std::string proc = "/proc/self/fd/" + std::to_string(fd);
  if (linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
  if (errno != ENOENT || access("/proc/self/fd", F_OK) == 0) return false;
  return linkat(fd, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0;
}

/// Makes the finished temporary file appear at `to` in one step.
bool Publish(const std::string& dir, TempFile* temp, const std::string& to) {
  if (temp->name.empty()) {
    if (LinkUnnamed(temp->fd, to)) return true;
    if (errno != EEXIST) return false;
    // Something is at the target already: give the copy a hidden name, then rename it over.
    for (int attempt = 0; temp->name.empty() && attempt < 100; ++attempt) {
      const std::string name = dir + "/" + NewCopyTempName();
      if (LinkUnnamed(temp->fd, name)) temp->name = name;
      else if (errno != EEXIST) return false;
    }
    if (temp->name.empty()) return false;
  }
  return rename(temp->name.c_str(), to.c_str()) == 0;
}

class PosixFileSystem : public FileSystem {
 public:
  PathInfo Stat(const std::string& path) override {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
      Fail();
      return {};
    }
    return {KindOf(st), ToFileTime(st.st_mtim)};
  }

  bool IdentifyDirectory(const std::string& path, DirectoryId* id) override {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return Fail();
    if (!S_ISDIR(st.st_mode)) {
      errno = ENOTDIR;
      return Fail();
    }
    *id = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    return true;
  }

  bool ListDirectory(const std::string& path, DirListing* listing) override {
    listing->entries.clear();
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return Fail();
    struct stat st;
    DIR* dir = fstat(fd, &st) == 0 ? fdopendir(fd) : nullptr;
    if (dir == nullptr) {
      Fail();
      close(fd);
      return false;
    }
    listing->id = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    ReadEntries(dir, listing);
    closedir(dir);
    return true;
  }

  MakeDirResult MakeDirectory(const std::string& path) override {
    if (mkdir(path.c_str(), 0777) == 0) return MakeDirResult::Created;
    Fail();
    return errno == EEXIST ? MakeDirResult::AlreadyExists : MakeDirResult::Failed;
  }

  bool CopyReplacing(const std::string& from, const std::string& to) override {
    // O_NONBLOCK: opening a pipe must not wait for a writer.
    ScopedFd in(open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (in.get() < 0) return Fail();
    struct stat st;
    if (fstat(in.get(), &st) != 0) return Fail();
    if (!S_ISREG(st.st_mode)) {
      errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
      return Fail();
    }
    const std::string dir = ParentDirectory(to);
    TempFile temp;
    if (!CreateTemp(dir, &temp)) return Fail();
    ScopedFd out(temp.fd);
    if (CopyData(in.get(), out.get()) && CopyAttributes(out.get(), st) && Publish(dir, &temp, to))
      return true;
    Fail();
    if (!temp.name.empty()) unlink(temp.name.c_str());
    return false;
  }

  uint32_t LastErrorCode() override { return t_last_error; }

 private:
  static void ReadEntries(DIR* dir, DirListing* listing) {
    const int fd = dirfd(dir);
    while (const struct dirent* d = readdir(dir)) {
      const char* name = d->d_name;
      if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
      DirEntry entry;
      entry.name = name;
      if (d->d_type == DT_DIR) {
        entry.kind = EntryKind::Directory;
      } else if (d->d_type == DT_FIFO || d->d_type == DT_SOCK || d->d_type == DT_CHR ||
                 d->d_type == DT_BLK) {
        entry.kind = EntryKind::Special;
      } else {
        struct stat st;
        // Links are followed; a dangling one stays a file whose time cannot be read.
        if (fstatat(fd, name, &st, 0) == 0) {
          entry.kind = EntryKindOf(st.st_mode);
          entry.lastWrite = ToFileTime(st.st_mtim);
        }
      }
      listing->entries.push_back(std::move(entry));
    }
  }
};

}  // namespace

std::unique_ptr<FileSystem> MakeRealFileSystem() { return std::make_unique<PosixFileSystem>(); }

}  // namespace qs
