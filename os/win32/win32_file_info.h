// What the system says about an item through an open handle, in the seam's terms; for the
// Win32 files only (it names the system's types).
#pragma once

#include <windows.h>

#include <string>

#include "os/file_system.h"

namespace qs::win32 {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

/// What `path` (a system path) leads to, links followed, a directory too; false with the error.
bool InformationOf(const std::wstring& path, BY_HANDLE_FILE_INFORMATION* info);

/// What shows that an open file was written: its size, last-write and change time.
struct WriteState {
  int64_t size = 0;
  int64_t lastWrite = 0;
  int64_t change = 0;
  bool operator==(const WriteState&) const = default;
};
/// The write state of the open file `file`; false with the error.
bool WriteStateOf(HANDLE file, WriteState* state);

FileTime TimeOf(const FILETIME& time);
uint64_t SizeOf(DWORD high, DWORD low);
DirectoryId IdOf(const BY_HANDLE_FILE_INFORMATION& info);

}  // namespace qs::win32
