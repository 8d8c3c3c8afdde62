// What a copy takes over from its source besides the name: the bytes (holes kept), owner,
// group, mode and extended attributes.
#pragma once

#include <sys/stat.h>

#include <cstdint>

#include "os/content_hash.h"

namespace qs::posix {

/// Copies the data of `in` (described by `st`) into the empty file `out`. Holes stay holes,
/// and the kernel copies (or shares, on btrfs and XFS) each data extent. A file that shrinks
/// meanwhile is copied as far as it goes. `hasher`, when given, is fed every byte of the copy
/// (holes as zeros) in order.
bool CopyFileData(int in, int out, const struct stat& st, ContentHasher* hasher = nullptr);

/// True when the open source `in` has the size, last-write and change time of `before`
/// still: it was not written (nor its attributes changed) since `before` was read. False
/// with errno kErrorSourceChanged when it was, or the system's errno when it cannot be asked.
bool StillAsBefore(int in, const struct stat& before);

/// Who the process is, read once: these never change while it runs.
struct ProcessIdentity {
  uid_t user;
  gid_t group;
  mode_t umask;
};
ProcessIdentity ReadProcessIdentity();

/// Gives `out` the owner and group of `st` where the process may, and its mode bits; where
/// the owner cannot be kept, setuid is dropped (and setgid, where the group cannot be kept),
/// as `cp -a` does: a copy must never run as someone it does not belong to.
void CopyOwnerAndMode(int out, const struct stat& st, const ProcessIdentity& process);

/// Copies user.*, system.posix_acl_access and (where permitted) security.* attributes.
/// Returns 0, or the error code of the first attribute the target could not hold.
uint32_t CopyExtendedAttributes(int in, int out);

}  // namespace qs::posix
