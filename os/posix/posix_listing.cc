// Folder listings and mount roots. Names are read relative to an open folder, so that paths
// longer than the system's limit can be listed.
#include "os/posix/posix_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "os/posix/posix_fd.h"
#include "os/posix/posix_path.h"
#include "os/posix/posix_pending_copy.h"

namespace qs::posix {

namespace {

EntryKind EntryKindOf(mode_t mode) {
  if (S_ISDIR(mode)) return EntryKind::Directory;
  if (S_ISREG(mode)) return EntryKind::File;
  return EntryKind::Special;
}

/// Links are followed. A link that leads nowhere (or into a loop of links) holds no data.
DirEntry LinkOrUnknownEntry(int dir_fd, const char* name) {
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

/// False, with the error, when the listing broke off.
bool ReadEntries(DIR* dir, DirListing* listing) {
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

}  // namespace

DirectoryId IdOf(const struct stat& st) {
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

bool ListDirectory(const std::string& path, DirListing* listing) {
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
bool IsMountRoot(const std::string& path) {
  ResolvedPath at(path);
  struct statx stx {};
  if (!at.ok() || statx(at.dir(), at.rest().c_str(), AT_SYMLINK_NOFOLLOW, 0, &stx) != 0)
    return Fail();
  return (stx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 &&
         (stx.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
}

}  // namespace qs::posix
