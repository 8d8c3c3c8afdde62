// The last error is per thread, like errno itself: several threads copy at once.
#include "os/posix/posix_fd.h"

#include <unistd.h>

#include <cerrno>

namespace qs::posix {

namespace {

thread_local uint32_t t_last_error = 0;

}  // namespace

bool Fail() {
  t_last_error = static_cast<uint32_t>(errno);
  return false;
}

bool FailWith(int code) {
  errno = code;
  return Fail();
}

uint32_t LastError() { return t_last_error; }

void ScopedFd::reset(int fd) {
  if (fd_ >= 0) {
    const int saved = errno;
    close(fd_);
    errno = saved;
  }
  fd_ = fd;
}

}  // namespace qs::posix
