// Putting a finished temporary file in the place of its target. Windows refuses to replace or
// delete a read-only file: the read-only mark of an old copy is lifted just before the
// replace and put back when the replace fails, so that a failed update leaves the old copy
// exactly as it was. The calls go through a narrow interface, so that tests can hold them to
// Windows' rules where Wine does not enforce them.
#pragma once

#include <cstdint>
#include <string>

namespace qs::win32 {

/// The system calls a replace makes, on system paths. Each returns 0 or the system's error code.
class ReplaceCalls {
 public:
  virtual ~ReplaceCalls() = default;
  /// GetFileAttributesW (the item itself, not what a link leads to).
  virtual uint32_t GetAttributes(const std::wstring& path, uint32_t* attributes) = 0;
  /// SetFileAttributesW.
  virtual uint32_t SetAttributes(const std::wstring& path, uint32_t attributes) = 0;
  /// MoveFileExW with MOVEFILE_REPLACE_EXISTING and MOVEFILE_WRITE_THROUGH.
  virtual uint32_t MoveReplacing(const std::wstring& from, const std::wstring& to) = 0;
  /// DeleteFileW.
  virtual uint32_t Remove(const std::wstring& path) = 0;
};

/// The calls themselves.
ReplaceCalls& RealReplaceCalls();

/// 0 when `path` names a file or nothing; else the code that refuses it: ERROR_ACCESS_DENIED
/// (what MoveFileExW gives) for a directory, the system's code when it cannot be looked at.
uint32_t CheckReplaceable(ReplaceCalls& calls, const std::wstring& path);

/// 0 when the folder of `path` keeps the entry found there under exactly the last name of
/// `path` (compared unit for unit, not as Windows compares names); kErrorStoredUnderOtherName
/// when it keeps it under another spelling, or the system's code when it cannot be looked at.
uint32_t CheckStoredName(const std::wstring& path);

/// Moves the file `from` over `to` in one step, a read-only, hidden or system file at `to`
/// included; what stood at `to` is kept as it was (attributes too) when the move fails. A
/// directory at `to` is never touched, nor a file kept under another spelling of its name
/// (kErrorStoredUnderOtherName). 0 or the error code.
uint32_t ReplaceTarget(ReplaceCalls& calls, const std::wstring& from, const std::wstring& to);

/// Removes a file, read-only or not; 0 or the error code.
uint32_t DiscardFile(ReplaceCalls& calls, const std::wstring& path);

}  // namespace qs::win32
