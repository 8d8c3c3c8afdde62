// Small helpers shared by the POSIX file-system files: a descriptor closed at scope end, and
// the thread's last error as the seam reports it.
#pragma once

#include <cstdint>

namespace qs::posix {

/// Records errno as this thread's last error and returns false, for one-line failure exits.
bool Fail();
/// Sets errno to `code`, records it, returns false.
bool FailWith(int code);
/// This thread's last recorded error.
uint32_t LastError();

/// Closes a descriptor when it goes out of scope, keeping errno as it was.
class ScopedFd {
 public:
  explicit ScopedFd(int fd = -1) : fd_(fd) {}
  ~ScopedFd() { reset(-1); }
  ScopedFd(const ScopedFd&) = delete;
  ScopedFd& operator=(const ScopedFd&) = delete;
  int get() const { return fd_; }
  /// Closes the descriptor held (if any) and holds `fd` instead.
  void reset(int fd);
  /// Gives up the descriptor without closing it.
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

}  // namespace qs::posix
