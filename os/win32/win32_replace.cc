// The read-only mark is lifted only for the moment of the replace: the new file carries its
// own attributes (the source's), so nothing of the old mark is needed afterwards.
#include "os/win32/win32_replace.h"

#include <windows.h>

#include "os/file_system.h"
#include "os/win32/win32_entry_kind.h"
#include "os/win32/win32_error.h"

namespace qs::win32 {

namespace {

// The attributes SetFileAttributesW can give back; the others belong to the file's storage.
constexpr uint32_t kSettable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                               FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                               FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                               FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

uint32_t Settable(uint32_t attributes) {
  const uint32_t kept = attributes & kSettable;
  return kept == 0 ? FILE_ATTRIBUTE_NORMAL : kept;
}

uint32_t CodeOf(BOOL done) { return done ? 0 : GetLastError(); }

class Win32ReplaceCalls : public ReplaceCalls {
 public:
  uint32_t GetAttributes(const std::wstring& path, uint32_t* attributes) override {
    *attributes = GetFileAttributesW(path.c_str());
    return *attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : 0;
  }
  uint32_t SetAttributes(const std::wstring& path, uint32_t attributes) override {
    return CodeOf(SetFileAttributesW(path.c_str(), attributes));
  }
  uint32_t MoveReplacing(const std::wstring& from, const std::wstring& to) override {
    return CodeOf(
        MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  }
  uint32_t Remove(const std::wstring& path) override { return CodeOf(DeleteFileW(path.c_str())); }
};

/// The attributes of `path`, kInvalidAttributes when nothing is there; 0 or the error code.
uint32_t Look(ReplaceCalls& calls, const std::wstring& path, uint32_t* attributes) {
  const uint32_t error = calls.GetAttributes(path, attributes);
  if (error == 0) return 0;
  *attributes = kInvalidAttributes;
  return IsNotFound(error) ? 0 : error;
}

}  // namespace

ReplaceCalls& RealReplaceCalls() {
  static Win32ReplaceCalls calls;
  return calls;
}

uint32_t CheckReplaceable(ReplaceCalls& calls, const std::wstring& path) {
  uint32_t attributes;
  if (const uint32_t error = Look(calls, path, &attributes)) return error;
  if (attributes != kInvalidAttributes && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return ERROR_ACCESS_DENIED;
  return 0;
}

uint32_t CheckStoredName(const std::wstring& path) {
  // Without wildcards, the search finds the one entry that the name leads to, and gives the
  // name its folder keeps it under.
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return GetLastError();
  FindClose(search);
  const size_t slash = path.rfind(L'\\');
  const std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  return name == found.cFileName ? 0 : kErrorStoredUnderOtherName;
}

uint32_t ReplaceTarget(ReplaceCalls& calls, const std::wstring& from, const std::wstring& to) {
  uint32_t old;
  if (const uint32_t error = Look(calls, to, &old)) return error;
  if (old != kInvalidAttributes && (old & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return ERROR_ACCESS_DENIED;
  if (old != kInvalidAttributes) {
    if (const uint32_t error = CheckStoredName(to)) return error;
  }
  const bool lift = old != kInvalidAttributes && (old & FILE_ATTRIBUTE_READONLY) != 0;
  if (lift) {
    if (const uint32_t error = calls.SetAttributes(to, Settable(old & ~FILE_ATTRIBUTE_READONLY)))
      return error;
  }
  const uint32_t error = calls.MoveReplacing(from, to);
  if (error != 0 && lift) calls.SetAttributes(to, Settable(old));
  return error;
}

uint32_t DiscardFile(ReplaceCalls& calls, const std::wstring& path) {
  uint32_t attributes;
  if (calls.GetAttributes(path, &attributes) == 0 && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
    calls.SetAttributes(path, Settable(attributes & ~FILE_ATTRIBUTE_READONLY));
  return calls.Remove(path);
}

}  // namespace qs::win32
