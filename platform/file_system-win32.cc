// The file-system seam over KERNEL32's ANSI calls. Paths go to the system as they are: 8-bit
// texts in the ANSI code page, never converted. A safe copy goes to a temporary file beside the
// target, is flushed, and then replaces the target in one rename.
#include <windows.h>

#include <utility>

#include "platform/copy_temp_name.h"
#include "platform/file_system.h"

namespace qs {

const char kPathSeparator = '\\';
const char kTextLineEnd[] = "\r\n";

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

constexpr int64_t kUnitsFrom1601To1970 = 116444736000000000;
constexpr int64_t kUnitsPerSecond = 10000000;

/// 100-nanosecond units since 1601 to a time since 1970.
FileTime ToFileTime(const FILETIME& ft) {
  const int64_t units =
      static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
  const int64_t since_1970 = units - kUnitsFrom1601To1970;
  return MakeFileTime(since_1970 / kUnitsPerSecond, (since_1970 % kUnitsPerSecond) * 100);
}

/// A time since 1970 to 100-nanosecond units since 1601, rounded down as the system stores it.
FILETIME ToFiletime(FileTime time) {
  const uint64_t units = static_cast<uint64_t>(time.seconds * kUnitsPerSecond + time.nanos / 100 +
                                               kUnitsFrom1601To1970);
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(units);
  ft.dwHighDateTime = static_cast<DWORD>(units >> 32);
  return ft;
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

bool SetWriteTime(const std::string& path, FileTime time) {
  ScopedHandle handle(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle.valid()) return Fail();
  const FILETIME write_time = ToFiletime(time);
  return SetFileTime(handle.get(), nullptr, nullptr, &write_time) != 0 || Fail();
}

bool FlushFile(const std::string& path) {
  ScopedHandle handle(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle.valid()) return Fail();
  return FlushFileBuffers(handle.get()) != 0 || Fail();
}

bool Rename(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0 ||
         Fail();
}

/// A copy in a temporary file beside its target; removed unless published.
class Win32PendingCopy : public PendingCopy {
 public:
  Win32PendingCopy(std::string temp, std::string target)
      : temp_(std::move(temp)), target_(std::move(target)) {}
  ~Win32PendingCopy() override {
    if (!published_) DeleteFileA(temp_.c_str());
  }
  uint64_t Volume() const override { return 0; }
  bool FlushedWithVolume() const override { return false; }
  bool Flush() override { return FlushFile(temp_); }
  bool Publish() override { return published_ = Rename(temp_, target_); }
  uint32_t AttributesNotKept() const override { return 0; }

 private:
  const std::string temp_;
  const std::string target_;
  bool published_ = false;
};

/// CopyFileA keeps the source's attributes and last-write time. An existing temporary name
/// is never overwritten: another copy may be writing it.
bool CopyToTemp(const std::string& from, const std::string& dir, std::string* temp) {
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

PathKind KindOfMissing() {
  const DWORD code = GetLastError();
  return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? PathKind::Missing
                                                                      : PathKind::Unreadable;
}

class Win32FileSystem : public FileSystem {
 public:
  PathInfo Stat(const std::string& path) override {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
      PathInfo info;
      info.kind = KindOfMissing();
      Fail();
      return info;
    }
    PathInfo info;
    info.kind = IsDirectory(data.dwFileAttributes) ? PathKind::Directory : PathKind::File;
    info.lastWrite = ToFileTime(data.ftLastWriteTime);
    info.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return info;
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

  std::unique_ptr<PendingCopy> PrepareCopy(const std::string& from,
                                           const std::string& to) override {
    const DWORD target = GetFileAttributesA(to.c_str());
    if (target != INVALID_FILE_ATTRIBUTES && IsDirectory(target)) {
      Fail(ERROR_ACCESS_DENIED);  // what replacing a directory by rename gives
      return nullptr;
    }
    std::string temp;
    if (!CopyToTemp(from, DirectoryPrefix(to), &temp)) return nullptr;
    return std::make_unique<Win32PendingCopy>(temp, to);
  }

  // Neither a whole-volume flush nor a directory flush exists: each file is flushed itself,
  // and NTFS keeps its names in its own journal.
  bool SyncVolume(const std::string&) override { return false; }
  bool SyncDirectory(const std::string&) override { return true; }

  bool CreateEmptyFile(const std::string& path) override {
    ScopedHandle handle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    return handle.valid() || Fail();
  }

  bool SetLastWriteTime(const std::string& path, FileTime time) override {
    return SetWriteTime(path, time);
  }

  bool RemoveFile(const std::string& path) override {
    return DeleteFileA(path.c_str()) != 0 || Fail();
  }

  bool WriteWholeFile(const std::string& path, const std::string& content) override {
    const std::string temp = DirectoryPrefix(path) + NewCopyTempName();
    if (!WriteNewFile(temp, content) || !Rename(temp, path)) {
      DeleteFileA(temp.c_str());
      return false;
    }
    return true;
  }

  size_t PendingCopyLimit() override { return 64; }

  uint32_t LastErrorCode() override { return t_last_error; }

 private:
  static bool WriteNewFile(const std::string& path, const std::string& content) {
    ScopedHandle handle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.valid()) return Fail();
    DWORD written = 0;
    if (!WriteFile(handle.get(), content.data(), static_cast<DWORD>(content.size()), &written,
                   nullptr) ||
        written != content.size())
      return Fail();
    return FlushFileBuffers(handle.get()) != 0 || Fail();
  }
};

}  // namespace

std::unique_ptr<FileSystem> MakeRealFileSystem() { return std::make_unique<Win32FileSystem>(); }

}  // namespace qs
