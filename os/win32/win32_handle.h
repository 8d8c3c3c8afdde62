// A handle closed at scope end, for the Win32 files only (it names the system's types).
#pragma once

#include <windows.h>

namespace qs::win32 {

/// Closes a file or search handle when it goes out of scope, keeping the last error as it was.
class ScopedHandle {
 public:
  explicit ScopedHandle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
  ~ScopedHandle() { reset(); }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE get() const { return handle_; }
  /// Closes the handle held (if any) and holds `handle` instead.
  void reset(HANDLE handle = INVALID_HANDLE_VALUE) {
    if (valid()) {
      const DWORD saved = GetLastError();
      CloseHandle(handle_);
      SetLastError(saved);
    }
    handle_ = handle;
  }
  /// Gives up the handle without closing it.
  HANDLE release() {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return handle;
  }

 private:
  HANDLE handle_;
};

}  // namespace qs::win32
