// A temporary file beside its target under a fresh ".qs-tmp-" name: written, flushed, then put
// in the target's place in one move, or removed.
#pragma once

#include <windows.h>

#include <string>

#include "os/win32/win32_handle.h"
#include "os/win32/win32_replace.h"

namespace qs::win32 {

class TempFile {
 public:
  /// `target` is a system path (win32_path.h).
  TempFile(ReplaceCalls& calls, std::wstring target);
  /// Removes the file unless it was put in place.
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  /// Makes the file in the target's folder, open for writing, with `attributes`.
  bool Create(DWORD attributes);
  HANDLE handle() const { return handle_.get(); }
  const std::wstring& target() const { return target_; }
  /// Puts the file's data on the disk.
  bool Flush();
  /// Closes the file and moves it over the target (ReplaceTarget).
  bool Publish();
  /// Closes the file and moves it to the target where nothing has that name: else false with
  /// ERROR_ALREADY_EXISTS, and what is there stays as it was.
  bool PublishNew();

 private:
  ReplaceCalls& calls_;
  const std::wstring target_;
  std::wstring path_;  ///< empty until made, and again once put in place
  ScopedHandle handle_;
};

}  // namespace qs::win32
