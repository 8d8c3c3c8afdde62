// Sparse files are copied extent by extent (SEEK_DATA/SEEK_HOLE), so a 4 GiB image holding
// 1 MiB of data takes 1 MiB in the backup; other files are copied in one pass.
#include "os/posix/posix_copy_content.h"

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "os/file_system.h"

namespace qs::posix {

namespace {

// The kernel copies (or shares) a range without passing its bytes through the process; to
// hash them the same range is read from the source right after, while its pages are cached.
// Pieces stay small enough for that.
constexpr size_t kHashedPiece = size_t{8} << 20;

std::vector<char>& Buffer() {
  thread_local std::vector<char> buffer(size_t{1} << 17);
  return buffer;
}

/// Feeds [offset, offset + size) of `in` to `hasher`; false when it cannot be read whole.
bool HashRange(int in, off_t offset, size_t size, ContentHasher* hasher) {
  std::vector<char>& buffer = Buffer();
  while (size > 0) {
    const ssize_t n = pread(in, buffer.data(), std::min(size, buffer.size()), offset);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = static_cast<int>(kErrorSourceChanged);  // it shrank meanwhile
    if (n <= 0) return false;
    hasher->Add(buffer.data(), static_cast<size_t>(n));
    offset += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

/// Copies [offset, end) at the same offsets, feeding `hasher` when given; false on a real
/// error. `*short_file` is set when the source ended early (it shrank while we copied).
bool CopyRange(int in, int out, off_t offset, off_t end, bool* short_file, ContentHasher* hasher) {
  bool kernel_copy = true;
  while (offset < end) {
    const size_t want = static_cast<size_t>(end - offset);
    ssize_t n;
    if (kernel_copy) {
      loff_t in_off = offset, out_off = offset;
      n = copy_file_range(in, &in_off, out, &out_off, hasher ? std::min(want, kHashedPiece) : want,
                          0);
      if (n < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
        kernel_copy = false;
        continue;
      }
      if (n > 0 && hasher && !HashRange(in, offset, static_cast<size_t>(n), hasher)) return false;
    } else {
      std::vector<char>& buffer = Buffer();
      n = pread(in, buffer.data(), std::min(want, buffer.size()), offset);
      if (n > 0 && hasher) hasher->Add(buffer.data(), static_cast<size_t>(n));
      for (ssize_t done = 0; n > 0 && done < n;) {
        const ssize_t w =
            pwrite(out, buffer.data() + done, static_cast<size_t>(n - done), offset + done);
        if (w < 0 && errno != EINTR) return false;
        if (w > 0) done += w;
      }
    }
    if (n == 0) {
      *short_file = true;
      return true;
    }
    if (n < 0 && errno != EINTR) return false;
    if (n > 0) offset += n;
  }
  return true;
}

/// After the source shrank during the copy, the copy ends where the source now ends.
bool EndWhereTheSourceEnds(int in, int out) {
  struct stat now;
  return fstat(in, &now) == 0 && ftruncate(out, now.st_size) == 0;
}

/// A file is worth looking at for holes only when fewer blocks are allocated than its size.
bool MayHaveHoles(const struct stat& st) {
  return st.st_size > 0 && static_cast<off_t>(st.st_blocks) * 512 < st.st_size;
}

/// Copies the data extents only; false with errno EINVAL when the system cannot tell them.
bool CopyExtents(int in, int out, off_t size, ContentHasher* hasher) {
  if (ftruncate(out, size) != 0) return false;
  for (off_t offset = 0; offset < size;) {
    off_t data = lseek(in, offset, SEEK_DATA);
    if (data < 0 && errno != ENXIO) return false;
    if (data < 0 || data > size) data = size;  // only holes from here to the end
    if (hasher) hasher->AddZeros(static_cast<uint64_t>(data - offset));
    if (data == size) return true;
    off_t hole = lseek(in, data, SEEK_HOLE);
    if (hole < 0) return false;
    if (hole > size) hole = size;
    bool short_file = false;
    if (!CopyRange(in, out, data, hole, &short_file, hasher)) return false;
    if (short_file) return EndWhereTheSourceEnds(in, out);
    offset = hole;
  }
  return true;
}

bool IsCopiedAttribute(const char* name) {
  return std::strncmp(name, "user.", 5) == 0 || std::strcmp(name, "system.posix_acl_access") == 0 ||
         std::strncmp(name, "security.", 9) == 0;
}

/// The names of `fd`'s extended attributes, NUL-separated; empty when it has none.
std::vector<char> AttributeNames(int fd) {
  std::vector<char> names;
  for (int attempt = 0; attempt < 4; ++attempt) {
    const ssize_t size = flistxattr(fd, nullptr, 0);
    if (size <= 0) return {};
    names.resize(static_cast<size_t>(size));
    const ssize_t got = flistxattr(fd, names.data(), names.size());
    if (got >= 0) {
      names.resize(static_cast<size_t>(got));
      return names;
    }
    if (errno != ERANGE) return {};
  }
  return {};
}

/// 0 when copied or not the target's fault; else the code of the failure.
uint32_t CopyAttribute(int in, int out, const char* name) {
  std::vector<char> value(256);
  ssize_t size = fgetxattr(in, name, value.data(), value.size());
  if (size < 0 && errno == ERANGE) {
    size = fgetxattr(in, name, nullptr, 0);
    if (size >= 0) {
      value.resize(static_cast<size_t>(size));
      size = fgetxattr(in, name, value.data(), value.size());
    }
  }
  if (size < 0) return 0;  // gone meanwhile, or not ours to read
  if (fsetxattr(out, name, value.data(), static_cast<size_t>(size), 0) == 0) return 0;
  // security.* is kept only where the process is allowed to set it, as cp -a does.
  if (std::strncmp(name, "security.", 9) == 0 && (errno == EPERM || errno == EACCES)) return 0;
  return static_cast<uint32_t>(errno);
}

}  // namespace

bool CopyFileData(int in, int out, const struct stat& st, ContentHasher* hasher) {
  if (MayHaveHoles(st)) {
    if (CopyExtents(in, out, st.st_size, hasher)) return true;
    if (errno != EINVAL && errno != EOPNOTSUPP) return false;
    if (ftruncate(out, 0) != 0) return false;  // no hole support: copy every byte
    if (hasher) hasher->Reset();
  }
  bool short_file = false;
  return CopyRange(in, out, 0, st.st_size, &short_file, hasher);
}

bool StillAsBefore(int in, const struct stat& before) {
  struct stat now;
  if (fstat(in, &now) != 0) return false;
  const auto same = [](const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
  };
  if (now.st_size == before.st_size && same(now.st_mtim, before.st_mtim) &&
      same(now.st_ctim, before.st_ctim))
    return true;
  errno = static_cast<int>(kErrorSourceChanged);
  return false;
}

ProcessIdentity ReadProcessIdentity() {
  const mode_t mask = umask(0);
  umask(mask);
  return {geteuid(), getegid(), mask};
}

void CopyOwnerAndMode(int out, const struct stat& st, const ProcessIdentity& process) {
  mode_t mode = st.st_mode & 07777;
  const bool already_ours = process.user == st.st_uid && process.group == st.st_gid;
  if (!already_ours && fchown(out, st.st_uid, st.st_gid) != 0) {
    if (fchown(out, static_cast<uid_t>(-1), st.st_gid) == 0)
      mode &= ~S_ISUID;
    else
      mode &= ~(S_ISUID | S_ISGID);
  }
  // The mode given at creation lost the bits the umask holds, and a change of owner may have
  // cleared setuid and setgid: put back what belongs.
  if (!already_ours || (mode & (process.umask | 07000)) != 0) (void)fchmod(out, mode);
}

uint32_t CopyExtendedAttributes(int in, int out) {
  const std::vector<char> names = AttributeNames(in);
  uint32_t first_error = 0;
  for (size_t at = 0; at < names.size(); at += std::strlen(names.data() + at) + 1) {
    const char* name = names.data() + at;
    if (!IsCopiedAttribute(name)) continue;
    const uint32_t error = CopyAttribute(in, out, name);
    if (first_error == 0) first_error = error;
  }
  return first_error;
}

}  // namespace qs::posix
