// The file-system seam over KERNEL32's ANSI calls. Paths go to the system as they are: 8-bit
// texts in the ANSI code page, never converted. A safe copy goes to a temporary file beside the
// target, which then replaces the target in one rename.
#include <windows.h>

#include "platform/copy_temp_name.h"
#include "platform/file_system.h"

namespace qs {

const char kPathSeparator = '\\';

namespace {

thread_local uint32_t t_last_error = 0;

/// Records the thread's last-error code for LastErrorCode and returns false.
bool Fail() {
  t_last_error = GetLastError();
  return false;
}

bool Fail(DWORD code) {
  t_last_error = code;
  return false;
}

/// 100-nanosecond units since 1601 to nanoseconds since 1970.
FileTime ToFileTime(const FILETIME& ft) {
  constexpr int64_t kUnitsFrom1601To1970 = 116444736000000000;
  const int64_t units =
      static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
  return (units - kUnitsFrom1601To1970) * 100;
}

bool IsDirectory(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

bool EndsWithSeparator(const std::string& path) {
  return !path.empty() && (path.back() == '\\' || path.back() == '/' || path.back() == ':');
}

/// The folder a copy's temporary file goes into: the target's own, with its separator.
std::string DirectoryPrefix(const std::string& path) {
  const size_t last = path.find_last_of("\\/");
  return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

/// Closes a handle when it goes out of scope, keeping the last-error code as it was.
class ScopedHandle {
 public:
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ~ScopedHandle() {
    if (!valid()) return;
    const DWORD saved = GetLastError();
    CloseHandle(handle_);
    SetLastError(saved);
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

/// A directory is known by its volume and file index; opening it needs backup semantics.
bool ReadDirectoryId(const std::string& path, DirectoryId* id) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return Fail();
  if (!IsDirectory(attributes)) return Fail(ERROR_DIRECTORY);
  ScopedHandle handle(CreateFileA(path.c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle.valid()) return Fail();
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle.get(), &info)) return Fail();
  id->device = info.dwVolumeSerialNumber;
  id->node = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}

DirEntry EntryOf(const WIN32_FIND_DATAA& data) {
  DirEntry entry;
  entry.name = data.cFileName;
  // A link or junction to a directory carries the directory bit too: it is followed, and
  // the scan's identity check keeps a cycle from being entered twice.
  entry.kind = IsDirectory(data.dwFileAttributes) ? EntryKind::Directory : EntryKind::File;
  entry.lastWrite = ToFileTime(data.ftLastWriteTime);
  return entry;
}

void ReadEntries(HANDLE search, WIN32_FIND_DATAA* data, DirListing* listing) {
  do {
    const char* name = data->cFileName;
    if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
    listing->entries.push_back(EntryOf(*data));
  } while (FindNextFileA(search, data));
}

class Win32FileSystem : public FileSystem {
 public:
  PathInfo Stat(const std::string& path) override {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
      Fail();
      return {};
    }
    return {IsDirectory(data.dwFileAttributes) ? PathKind::Directory : PathKind::Other,
            ToFileTime(data.ftLastWriteTime)};
  }

  bool IdentifyDirectory(const std::string& path, DirectoryId* id) override {
    return ReadDirectoryId(path, id);
  }

  bool ListDirectory(const std::string& path, DirListing* listing) override {
    listing->entries.clear();
    if (!ReadDirectoryId(path, &listing->id)) return false;
    const std::string pattern = path + (EndsWithSeparator(path) ? "*" : "\\*");
    WIN32_FIND_DATAA data;
    const HANDLE search = FindFirstFileA(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) {
      // A drive root has no "." entry, so an empty one finds nothing at all.
      if (GetLastError() == ERROR_FILE_NOT_FOUND) return true;
      return Fail();
    }
    ReadEntries(search, &data, listing);
    FindClose(search);
    return true;
  }

  MakeDirResult MakeDirectory(const std::string& path) override {
    if (CreateDirectoryA(path.c_str(), nullptr)) return MakeDirResult::Created;
    Fail();
    return t_last_error == ERROR_ALREADY_EXISTS ? MakeDirResult::AlreadyExists
                                                : MakeDirResult::Failed;
  }

  bool CopyReplacing(const std::string& from, const std::string& to) override {
    std::string temp;
    if (!CopyToTemp(from, DirectoryPrefix(to), &temp)) return false;
    if (MoveFileExA(temp.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    Fail();
    DeleteFileA(temp.c_str());
    return false;
  }

  uint32_t LastErrorCode() override { return t_last_error; }

 private:
  /// CopyFileA keeps the source's attributes and last-write time. An existing temporary name
  /// is never overwritten: another copy may be writing it.
  static bool CopyToTemp(const std::string& from, const std::string& dir, std::string* temp) {
    for (int attempt = 0; attempt < 100; ++attempt) {
      *temp = dir + NewCopyTempName();
      if (CopyFileA(from.c_str(), temp->c_str(), TRUE)) return true;
      Fail();
      if (t_last_error != ERROR_FILE_EXISTS) {
        DeleteFileA(temp->c_str());  // CopyFileA may leave a partial file on a full disk
        return false;
      }
    }
    return false;
  }
};

}  // namespace

std::unique_ptr<FileSystem> MakeRealFileSystem() { return std::make_unique<Win32FileSystem>(); }

}  // namespace qs
