// The W calls on "\\?\" paths: std::filesystem under MinGW stops near 260 characters while
// walking a tree.
#include <windows.h>

#include <algorithm>

#include "os/win32/win32_path.h"
#include "os/win32/win32_replace.h"
#include "os/win32/win32_text.h"
#include "tests/support/file_tree.h"

namespace qs {

namespace {

/// Calls `visit` with the name and attributes of each entry of `folder` ("." and ".." left out).
template <typename Visit>
void ForEachEntry(const std::wstring& folder, Visit visit) {
  WIN32_FIND_DATAW data;
  const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") visit(name, data.dwFileAttributes);
  } while (FindNextFileW(search, &data));
  FindClose(search);
}

bool IsFolder(DWORD attributes) {
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

void ListBelow(const std::wstring& folder, const std::string& prefix,
               std::vector<std::string>* files) {
  ForEachEntry(folder, [&](const std::wstring& name, DWORD attributes) {
    const std::string relative = prefix + win32::WideToUtf8(name);
    if (IsFolder(attributes))
      ListBelow(folder + L"\\" + name, relative + "/", files);
    else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
      files->push_back(relative);
  });
}

void RemoveBelow(const std::wstring& folder) {
  ForEachEntry(folder, [&](const std::wstring& name, DWORD attributes) {
    const std::wstring path = folder + L"\\" + name;
    if (IsFolder(attributes)) {
      RemoveBelow(path);
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      RemoveDirectoryW(path.c_str());
    } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      RemoveDirectoryW(path.c_str());  // a link to a folder: the link only
    } else {
      win32::DiscardFile(win32::RealReplaceCalls(), path);
    }
  });
}

}  // namespace

std::vector<std::string> ListFilesBelow(const std::string& root) {
  std::vector<std::string> files;
  std::wstring folder;
  if (!win32::ToSystemPath(root, &folder)) return files;
  ListBelow(folder, "", &files);
  std::sort(files.begin(), files.end());
  return files;
}

void RemoveTree(const std::string& root) {
  std::wstring folder;
  if (!win32::ToSystemPath(root, &folder)) return;
  RemoveBelow(folder);
  RemoveDirectoryW(folder.c_str());
}

}  // namespace qs
