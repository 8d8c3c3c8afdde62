// A new file is linked into place under its name (it cannot appear half-written); an existing
// one is replaced by a rename from a hidden name, which the system does in one step.
#include "os/posix/posix_temp_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "os/copy_temp_name.h"
#include "os/posix/posix_entry_name.h"

namespace qs::posix {

TempFile::TempFile(const std::string& target) : target_path_(target), target_(target_path_) {}

TempFile::~TempFile() {
  if (name_.empty()) return;
  const int saved = errno;
  unlinkat(target_.dir(), name_.c_str(), 0);
  errno = saved;
}

std::string TempFile::NewName() const { return target_.RestParent() + "/" + NewCopyTempName(); }

bool TempFile::Create(mode_t mode) {
  const std::string parent = target_.RestParent();
  fd_.reset(openat(target_.dir(), parent.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
  if (fd_.get() >= 0) return true;
  if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return false;
  return CreateNamed(mode);
}

bool TempFile::CreateNamed(mode_t mode) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = NewName();
    const int fd =
        openat(target_.dir(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0) {
      fd_.reset(fd);
      name_ = std::move(name);
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

bool TempFile::CheckTargetIsFileOrMissing(bool* exists) const {
  if (exists != nullptr) *exists = false;
  struct stat st;
  if (fstatat(target_.dir(), target_.rest().c_str(), &st, 0) != 0)
    return errno == ENOENT || errno == ENOTDIR || errno == ELOOP;
  if (exists != nullptr) *exists = true;
  if (S_ISREG(st.st_mode)) return true;
  errno = S_ISDIR(st.st_mode) ? EISDIR : EEXIST;
  return false;
}

bool TempFile::MayReplaceTarget() const {
  bool exists = false;
  if (!CheckTargetIsFileOrMissing(&exists)) return false;
  if (!exists) return true;
  const std::string& rest = target_.rest();
  return FolderListsExactName(target_.dir(), target_.RestParent(),
                              rest.substr(rest.rfind('/') + 1));
}

bool TempFile::LinkUnnamed(const std::string& name) {
  const std::string proc = "/proc/self/fd/" + std::to_string(fd_.get());
  if (linkat(AT_FDCWD, proc.c_str(), target_.dir(), name.c_str(), AT_SYMLINK_FOLLOW) == 0)
    return true;
  if (errno != ENOENT || access("/proc/self/fd", F_OK) == 0) return false;
  return linkat(fd_.get(), "", target_.dir(), name.c_str(), AT_EMPTY_PATH) == 0;
}

/// Gives an unnamed file a hidden name, so that it can be renamed over the target.
bool TempFile::LinkAside() {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = NewName();
    if (LinkUnnamed(name)) {
      name_ = name;
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

bool TempFile::SetTargetTimes(const struct timespec times[2]) const {
  // Through the descriptor, still open: no walk to the name, which a slow target would answer.
  return futimens(fd_.get(), times) == 0;
}

bool TempFile::Publish() {
  if (name_.empty()) {
    // A new file appears whole under its name; if something is there, replace it below.
    if (LinkUnnamed(target_.rest())) return true;
    if (errno != EEXIST) return false;
    if (!LinkAside()) return false;
  }
  // Most targets are new: a rename that never replaces needs no look at the target first,
  // which on a slow target is one round trip less per file.
  if (renameat2(target_.dir(), name_.c_str(), target_.dir(), target_.rest().c_str(),
                RENAME_NOREPLACE) == 0) {
    name_.clear();
    return true;
  }
  if (errno != EEXIST && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return false;
  if (!MayReplaceTarget()) return false;
  if (renameat(target_.dir(), name_.c_str(), target_.dir(), target_.rest().c_str()) != 0)
    return false;
  name_.clear();
  return true;
}

bool TempFile::PublishNew() {
  // linkat never puts a name over another.
  if (name_.empty()) return LinkUnnamed(target_.rest());
  if (renameat2(target_.dir(), name_.c_str(), target_.dir(), target_.rest().c_str(),
                RENAME_NOREPLACE) == 0) {
    name_.clear();
    return true;
  }
  if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return false;
  return RenameNamedWithoutReplacing();
}

/// For file systems without a rename that refuses an existing name (FUSE ones): a second
/// name by linkat, then the temporary one removed; where there are no links either (FAT), a
/// look just before a plain rename.
bool TempFile::RenameNamedWithoutReplacing() {
  const char* rest = target_.rest().c_str();
  if (linkat(target_.dir(), name_.c_str(), target_.dir(), rest, 0) == 0) {
    unlinkat(target_.dir(), name_.c_str(), 0);
    name_.clear();
    return true;
  }
  if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS && errno != EMLINK) return false;
  struct stat st;
  if (fstatat(target_.dir(), rest, &st, AT_SYMLINK_NOFOLLOW) == 0) {
    errno = EEXIST;
    return false;
  }
  if (errno != ENOENT) return false;
  if (renameat(target_.dir(), name_.c_str(), target_.dir(), rest) != 0) return false;
  name_.clear();
  return true;
}

}  // namespace qs::posix
