#include "os/win32/win32_file_io.h"

#include <windows.h>

#include "os/win32/win32_copy_content.h"
#include "os/win32/win32_error.h"
#include "os/win32/win32_file_info.h"
#include "os/win32/win32_handle.h"
#include "os/win32/win32_path.h"

namespace qs::win32 {

namespace {

class Win32FileReader : public FileReader {
 public:
  explicit Win32FileReader(HANDLE handle) : handle_(handle) {}
  int64_t Read(char* buffer, size_t size) override {
    const DWORD ask = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD read = 0;
    if (!ReadFile(handle_.get(), buffer, ask, &read, nullptr)) return Fail(), -1;
    return read;
  }

 private:
  ScopedHandle handle_;
};

}  // namespace

std::unique_ptr<FileReader> OpenFileReader(const std::string& path) {
  std::wstring system;
  if (!ToSystemPath(path, &system)) return nullptr;
  // Other programs may go on using the file: a reader never locks anybody out.
  ScopedHandle file(CreateFileW(system.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.valid()) return Fail(), nullptr;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file.get(), &info)) return Fail(), nullptr;
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return FailWith(ERROR_DIRECTORY), nullptr;
  return std::make_unique<Win32FileReader>(file.release());
}

bool AppendAndFlush(const std::string& path, const std::string& bytes) {
  std::wstring system;
  if (!ToSystemPath(path, &system)) return false;
  ScopedHandle file(CreateFileW(system.c_str(), FILE_APPEND_DATA | SYNCHRONIZE, kShareAll, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return Fail();
  return WriteAll(file.get(), bytes) && (FlushFileBuffers(file.get()) || Fail());
}

}  // namespace qs::win32
