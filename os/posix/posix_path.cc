// Long paths are opened a piece at a time; each piece stays below PATH_MAX.
#include "os/posix/posix_path.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <cerrno>

namespace qs {

namespace {

constexpr size_t kLimit = PATH_MAX - 1;

}  // namespace

ResolvedPath::ResolvedPath(const std::string& path) : path_(path), dir_(AT_FDCWD) {
  if (path.size() <= kLimit) return;
  long_ = true;
  rest_ = path;
  while (rest_.size() > kLimit) {
    const size_t slash = rest_.rfind('/', kLimit);
    if (slash == std::string::npos) {
      errno = ENAMETOOLONG;
      ok_ = false;
      return;
    }
    const std::string piece = slash == 0 ? "/" : rest_.substr(0, slash);
    const int next = openat(dir_, piece.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (next < 0) {
      ok_ = false;
      return;
    }
    if (owned_ >= 0) close(owned_);
    dir_ = owned_ = next;
    rest_.erase(0, slash + 1);
  }
}

ResolvedPath::~ResolvedPath() {
  if (owned_ < 0) return;
  const int saved = errno;
  close(owned_);
  errno = saved;
}

std::string ResolvedPath::RestParent() const {
  const std::string& rest = this->rest();
  const size_t slash = rest.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return rest.substr(0, slash);
}

}  // namespace qs
