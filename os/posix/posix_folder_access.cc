// The permission is asked as the effective user, as the creations themselves are checked; a
// read-only volume answers EROFS, as they would.
#include "os/posix/posix_folder_access.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "os/posix/posix_fd.h"
#include "os/posix/posix_path.h"

namespace qs::posix {

bool MayCreateIn(const std::string& path) {
  ResolvedPath at(path);
  if (!at.ok()) return Fail();
  struct stat st;
  if (fstatat(at.dir(), at.rest().c_str(), &st, 0) != 0) return Fail();
  if (!S_ISDIR(st.st_mode)) return FailWith(ENOTDIR);
  return faccessat(at.dir(), at.rest().c_str(), W_OK | X_OK, AT_EACCESS) == 0 || Fail();
}

}  // namespace qs::posix
