// A temporary file beside a target path: unnamed (O_TMPFILE) where the file system allows,
// else hidden under a ".qs-tmp-" name. It appears at the target in one step, complete.
#pragma once

#include <sys/types.h>

#include <string>

#include "os/posix/posix_fd.h"
#include "os/posix/posix_path.h"

namespace qs::posix {

class TempFile {
 public:
  /// Check ok() before use; on failure errno tells why.
  explicit TempFile(const std::string& target);
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  bool ok() const { return target_.ok(); }
  /// Makes the temporary file with `mode` (the umask applies).
  bool Create(mode_t mode);
  int fd() const { return fd_.get(); }
  /// Fails with EISDIR (a directory) or EEXIST (a pipe, a socket...) when something other
  /// than a file stands at the target; that item is never replaced. `exists`, when given,
  /// tells whether anything stands there.
  bool CheckTargetIsFileOrMissing(bool* exists = nullptr) const;
  /// Makes the finished file appear at the target in one step, replacing a file there, but
  /// never one that its folder keeps under another spelling (kErrorStoredUnderOtherName).
  bool Publish();
  /// The same, where nothing has the target's name: else false with EEXIST.
  bool PublishNew();
  /// Sets the last-access and last-write times of the published file.
  bool SetTargetTimes(const struct timespec times[2]) const;

 private:
  bool CreateNamed(mode_t mode);
  /// Checked again just before a replace: an item that became a directory or a pipe stays
  /// untouched, and so does a file that a volume ignoring case found under another spelling.
  bool MayReplaceTarget() const;
  bool LinkUnnamed(const std::string& name);
  bool LinkAside();
  bool RenameNamedWithoutReplacing();
  std::string NewName() const;

  const std::string target_path_;
  const ResolvedPath target_;  ///< over target_path_, declared after it
  ScopedFd fd_;
  std::string name_;  ///< relative to the target's directory descriptor; empty while unnamed
};

}  // namespace qs::posix
