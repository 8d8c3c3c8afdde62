// GetFullPathNameW applies the Win32 rules to a whole path; here it sees only the typed head,
// and the names a listing gave are appended untouched, so "foo." or "aux.txt" in a backed-up
// tree stay those files.
#include "os/win32/win32_path.h"

#include <windows.h>

#include "os/win32/win32_error.h"
#include "os/win32/win32_text.h"

namespace qs::win32 {

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool HasDriveLetter(std::wstring_view path) {
  return path.size() >= 2 && path[1] == L':' &&
         ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
}

bool IsSystemNamespace(std::wstring_view path) {
  return path.size() >= 4 && path[0] == L'\\' && path[1] == L'\\' &&
         (path[2] == L'?' || path[2] == L'.') && path[3] == L'\\';
}

/// Where a path that is not absolute is anchored: "C:" for "C:x", "\" for "\x", else nothing.
size_t AnchorLength(std::wstring_view path) {
  if (HasDriveLetter(path)) return 2;
  return !path.empty() && IsSeparator(path[0]) ? 1 : 0;
}

bool FullPath(const std::wstring& head, std::wstring* full) {
  // The working directory may change between the two calls: try again with the new size.
  for (int attempt = 0; attempt < 4; ++attempt) {
    const DWORD needed = GetFullPathNameW(head.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return Fail();
    full->assign(needed, L'\0');
    const DWORD written = GetFullPathNameW(head.c_str(), needed, full->data(), nullptr);
    if (written == 0) return Fail();
    if (written < needed) {
      full->resize(written);
      return true;
    }
  }
  return FailWith(ERROR_FILENAME_EXCED_RANGE);
}

/// `head` (full) and the rest of the path after it, one backslash between them.
std::wstring Join(std::wstring head, std::wstring_view rest) {
  while (!rest.empty() && IsSeparator(rest.front())) rest.remove_prefix(1);
  if (rest.empty()) return head;
  if (head.empty() || head.back() != L'\\') head += L'\\';
  head.append(rest);
  return head;
}

/// One trailing backslash dropped, except after a drive ("\\?\C:\"): the W calls take a folder
/// without it.
void DropTrailingSeparator(std::wstring* path) {
  const size_t size = path->size();
  if (size > 1 && path->back() == L'\\' && (*path)[size - 2] != L':' && (*path)[size - 2] != L'\\')
    path->pop_back();
}

}  // namespace

bool IsAbsolute(std::wstring_view path) {
  if (HasDriveLetter(path)) return path.size() >= 3 && IsSeparator(path[2]);
  return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
}

size_t TypedPartLength(std::wstring_view path) {
  size_t typed = IsAbsolute(path) ? 0 : AnchorLength(path);
  // A UNC path's leading pair of separators is no empty component.
  const size_t first = path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]) ? 2 : 0;
  size_t start = first;
  for (size_t at = first; at <= path.size(); ++at) {
    if (at < path.size() && !IsSeparator(path[at])) continue;
    const std::wstring_view component = path.substr(start, at - start);
    const bool inner_empty = component.empty() && at < path.size() && at > first;
    if (component == L"." || component == L".." || inner_empty) typed = at;
    if (at < path.size() && path[at] == L'/') typed = at + 1;
    start = at + 1;
  }
  return typed;
}

std::wstring WithExtendedPrefix(std::wstring_view full) {
  if (IsSystemNamespace(full)) return std::wstring(full);
  if (HasDriveLetter(full)) return L"\\\\?\\" + std::wstring(full);
  if (full.size() >= 2 && full[0] == L'\\' && full[1] == L'\\')
    return L"\\\\?\\UNC\\" + std::wstring(full.substr(2));
  return std::wstring(full);
}

std::wstring FolderOf(const std::wstring& system_path) {
  const size_t last = system_path.rfind(L'\\');
  return last == std::wstring::npos ? std::wstring() : system_path.substr(0, last);
}

bool ToSystemPath(const std::string& path, std::wstring* system_path) {
  std::wstring wide;
  if (!Utf8ToWide(path, &wide)) return false;
  if (wide.empty()) return FailWith(ERROR_PATH_NOT_FOUND);
  if (wide.find(L'\0') != std::wstring::npos) return FailWith(ERROR_INVALID_NAME);
  if (IsSystemNamespace(wide)) {
    *system_path = std::move(wide);
    return true;
  }
  const size_t typed = TypedPartLength(wide);
  std::wstring full = wide;
  if (typed > 0 || !IsAbsolute(wide)) {
    std::wstring head;
    if (!FullPath(typed == 0 ? std::wstring(L".") : wide.substr(0, typed), &head)) return false;
    full = Join(std::move(head), std::wstring_view(wide).substr(typed));
  }
  *system_path = WithExtendedPrefix(full);
  DropTrailingSeparator(system_path);
  return true;
}

}  // namespace qs::win32
