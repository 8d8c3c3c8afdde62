#include <windows.h>

#include "os/win32/win32_path.h"
#include "tests/support/file_hold.h"

namespace qs {

FileHold::FileHold(const std::string& path)
    : handle_(reinterpret_cast<uintptr_t>(INVALID_HANDLE_VALUE)) {
  std::wstring system;
  if (!win32::ToSystemPath(path, &system)) return;
  handle_ = reinterpret_cast<uintptr_t>(CreateFileW(system.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                    nullptr, OPEN_EXISTING, 0, nullptr));
}

FileHold::~FileHold() {
  if (ok()) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

bool FileHold::ok() const { return handle_ != reinterpret_cast<uintptr_t>(INVALID_HANDLE_VALUE); }

}  // namespace qs
