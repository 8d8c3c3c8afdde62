// SetFileTime keeps 100-nanosecond units; a directory opens only with backup semantics.
#include <windows.h>

#include "platform/file_time_setter.h"

namespace qs {

bool SetLastWriteTime(const std::string& path, FileTime time) {
  constexpr int64_t kUnitsFrom1601To1970 = 116444736000000000;
  // Nanoseconds are never negative, so a time before 1970 rounds down as the system stores it.
  const int64_t units = time.seconds * 10000000 + time.nanos / 100 + kUnitsFrom1601To1970;
  FILETIME write_time;
  write_time.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(units));
  write_time.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(units) >> 32);
  const HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool set = SetFileTime(file, nullptr, nullptr, &write_time) != 0;
  CloseHandle(file);
  return set;
}

}  // namespace qs
