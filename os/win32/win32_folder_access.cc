// The folder is opened for adding entries, which the system grants or refuses by its access
// lists as it would the creations themselves; backup semantics let a folder be opened at all.
#include "os/win32/win32_folder_access.h"

#include <windows.h>

#include "os/win32/win32_error.h"
#include "os/win32/win32_file_info.h"
#include "os/win32/win32_handle.h"

namespace qs::win32 {

bool MayCreateIn(const std::wstring& folder) {
  ScopedHandle handle(CreateFileW(folder.c_str(), FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY, kShareAll,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  if (!handle.valid() || !GetFileInformationByHandle(handle.get(), &info)) {
    // A creation in a folder that is not there fails on its path, not on its own name.
    Fail();
    return LastError() == ERROR_FILE_NOT_FOUND ? FailWith(ERROR_PATH_NOT_FOUND) : false;
  }
  return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || FailWith(ERROR_PATH_NOT_FOUND);
}

}  // namespace qs::win32
