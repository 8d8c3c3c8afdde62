// The name is new each time and the file is made only where nothing has that name
// (CREATE_NEW): another copy may be writing a temporary file of its own in the same folder.
#include "os/win32/win32_temp_file.h"

#include "os/copy_temp_name.h"
#include "os/win32/win32_error.h"
#include "os/win32/win32_path.h"
#include "os/win32/win32_text.h"

namespace qs::win32 {

TempFile::TempFile(ReplaceCalls& calls, std::wstring target)
    : calls_(calls), target_(std::move(target)) {}

TempFile::~TempFile() {
  handle_.reset();
  if (path_.empty()) return;
  const DWORD saved = GetLastError();
  DiscardFile(calls_, path_);
  SetLastError(saved);
}

bool TempFile::Create(DWORD attributes) {
  const std::wstring folder = FolderOf(target_);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::wstring path;
    Utf8ToWide(NewCopyTempName(), &path);  // ASCII: always converts
    path = folder + L"\\" + path;
    handle_.reset(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_NEW, attributes, nullptr));
    if (handle_.valid()) {
      path_ = std::move(path);
      return true;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return Fail();
  }
  return Fail();
}

bool TempFile::Flush() { return FlushFileBuffers(handle_.get()) || Fail(); }

bool TempFile::Publish() {
  handle_.reset();
  if (const uint32_t error = ReplaceTarget(calls_, path_, target_)) return FailWith(error);
  path_.clear();
  return true;
}

bool TempFile::PublishNew() {
  handle_.reset();
  // Without MOVEFILE_REPLACE_EXISTING the move fails on any existing name.
  if (!MoveFileExW(path_.c_str(), target_.c_str(), MOVEFILE_WRITE_THROUGH)) return Fail();
  path_.clear();
  return true;
}

}  // namespace qs::win32
