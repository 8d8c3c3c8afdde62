// Names come back in UTF-16 and go into the listing in UTF-8 (win32_text.h). A file's time
// comes with its name; a link's time is that of what it leads to, read through the link.
#include "os/win32/win32_listing.h"

#include <windows.h>

#include "os/win32/win32_entry_kind.h"
#include "os/win32/win32_error.h"
#include "os/win32/win32_file_info.h"
#include "os/win32/win32_path.h"
#include "os/win32/win32_text.h"

namespace qs::win32 {

namespace {

/// A FindFirstFileExW search, closed at scope end.
class Search {
 public:
  Search(const std::wstring& folder, WIN32_FIND_DATAW* data)
      : handle_(FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, data,
                                 FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH)) {}
  ~Search() {
    if (valid()) FindClose(handle_);
  }
  Search(const Search&) = delete;
  Search& operator=(const Search&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  bool Next(WIN32_FIND_DATAW* data) { return FindNextFileW(handle_, data) != 0; }

 private:
  HANDLE handle_;
};

bool IsDotOrDotDot(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

bool ListingIsDenied(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  Search search(folder, &data);
  return !search.valid() && GetLastError() == ERROR_ACCESS_DENIED;
}

/// What a link leads to: its attributes and time, or that nothing is there. When it cannot
/// be read, the entry keeps its own attributes and no time, so that its copy says why.
void LookThroughLink(const std::wstring& path, EntryFacts* facts, FileTime* time) {
  BY_HANDLE_FILE_INFORMATION info;
  if (InformationOf(path, &info)) {
    facts->targetAttributes = info.dwFileAttributes;
    *time = TimeOf(info.ftLastWriteTime);
  } else {
    facts->targetMissing = IsNotFound(LastError());
    *time = {};
  }
  if (MayBeSystemJunction(facts->attributes, facts->reparseTag))
    facts->listingDenied = ListingIsDenied(path);
}

DirEntry EntryOf(const std::wstring& folder, const WIN32_FIND_DATAW& data) {
  DirEntry entry;
  entry.name = WideToUtf8(data.cFileName);
  EntryFacts facts;
  facts.attributes = facts.targetAttributes = data.dwFileAttributes;
  entry.lastWrite = TimeOf(data.ftLastWriteTime);
  entry.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    entry.link = true;
    entry.size = kUnknownSize;  // the link's own, not its target's
    facts.reparseTag = data.dwReserved0;
    LookThroughLink(folder + L"\\" + data.cFileName, &facts, &entry.lastWrite);
  }
  entry.kind = ClassifyEntry(facts);
  return entry;
}

bool ReadEntries(const std::wstring& folder, std::vector<DirEntry>* entries) {
  WIN32_FIND_DATAW data;
  Search search(folder, &data);
  // A drive root has no "." entry, so an empty one finds nothing at all.
  if (!search.valid()) return GetLastError() == ERROR_FILE_NOT_FOUND || Fail();
  do {
    if (!IsDotOrDotDot(data.cFileName)) entries->push_back(EntryOf(folder, data));
  } while (search.Next(&data));
  return GetLastError() == ERROR_NO_MORE_FILES || Fail();
}

}  // namespace

bool ListFolder(const std::string& path, DirListing* listing) {
  listing->entries.clear();
  std::wstring folder;
  if (!ToSystemPath(path, &folder)) return false;
  BY_HANDLE_FILE_INFORMATION info;
  if (!InformationOf(folder, &info)) return false;
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return FailWith(ERROR_DIRECTORY);
  listing->id = IdOf(info);
  if (ReadEntries(folder.back() == L'\\' ? folder.substr(0, folder.size() - 1) : folder,
                  &listing->entries))
    return true;
  listing->entries.clear();
  return false;
}

}  // namespace qs::win32
