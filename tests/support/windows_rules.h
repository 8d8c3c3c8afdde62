// The replace calls of the Win32 layer held to Windows' rules where Wine does not enforce
// them, for the Windows tests only.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "os/win32/win32_replace.h"

namespace qs::test {

/// The real calls, except that, as on Windows, a read-only file is neither replaced by a move
/// (MoveFileExW) nor deleted (DeleteFileW): both give ERROR_ACCESS_DENIED. Wine enforces the
/// second rule, not the first. Records every call.
class WindowsRules : public win32::ReplaceCalls {
 public:
  uint32_t GetAttributes(const std::wstring& path, uint32_t* attributes) override;
  uint32_t SetAttributes(const std::wstring& path, uint32_t attributes) override;
  uint32_t MoveReplacing(const std::wstring& from, const std::wstring& to) override;
  uint32_t Remove(const std::wstring& path) override;

  /// "set NAME ATTRIBUTES", "move NAME", "refused NAME", "remove NAME" in order, with the
  /// last component of each path; GetAttributes is not recorded.
  std::vector<std::string> Calls();

 private:
  bool IsReadOnly(const std::wstring& path);
  void Record(const std::string& call, const std::wstring& path);

  std::mutex mutex_;
  std::vector<std::string> calls_;
};

/// The attributes of a file (win32_entry_kind.h's kAttribute... values), links not followed.
uint32_t AttributesOf(const std::string& path);
/// Sets a file's attributes; false when the system refuses.
bool SetAttributes(const std::string& path, uint32_t attributes);

}  // namespace qs::test
