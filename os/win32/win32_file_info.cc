#include "os/win32/win32_file_info.h"

#include "os/win32/win32_error.h"
#include "os/win32/win32_file_time.h"
#include "os/win32/win32_handle.h"

namespace qs::win32 {

bool InformationOf(const std::wstring& path, BY_HANDLE_FILE_INFORMATION* info) {
  // No access is asked for: only the information is read. A directory opens only with
  // backup semantics.
  ScopedHandle handle(CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle.valid()) return Fail();
  return GetFileInformationByHandle(handle.get(), info) || Fail();
}

bool WriteStateOf(HANDLE file, WriteState* state) {
  FILE_BASIC_INFO basic;
  FILE_STANDARD_INFO standard;
  if (!GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) ||
      !GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard))
    return Fail();
  *state = {standard.EndOfFile.QuadPart, basic.LastWriteTime.QuadPart, basic.ChangeTime.QuadPart};
  return true;
}

FileTime TimeOf(const FILETIME& time) {
  return FromUnits(SizeOf(time.dwHighDateTime, time.dwLowDateTime));
}

uint64_t SizeOf(DWORD high, DWORD low) { return (static_cast<uint64_t>(high) << 32) | low; }

DirectoryId IdOf(const BY_HANDLE_FILE_INFORMATION& info) {
  return {info.dwVolumeSerialNumber, SizeOf(info.nFileIndexHigh, info.nFileIndexLow)};
}

}  // namespace qs::win32
