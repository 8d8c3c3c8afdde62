// The file-system seam over KERNEL32's W calls. Paths stay UTF-8 in the program and become
// UTF-16 "\\?\" paths here only (win32_path.h), so every name and every length that Windows
// stores can be backed up. A copy goes to a hidden temporary file beside its target, keeps the
// source's last-write time and attributes, and replaces the target in one move.
#include <windows.h>
// The seam after windows.h: its names and the calls here must see the same macros.
#include "os/file_system.h"
#include "os/win32/win32_copy_content.h"
#include "os/win32/win32_entry_kind.h"
#include "os/win32/win32_error.h"
#include "os/win32/win32_file_info.h"
#include "os/win32/win32_file_io.h"
#include "os/win32/win32_file_system.h"
#include "os/win32/win32_file_time.h"
#include "os/win32/win32_folder_access.h"
#include "os/win32/win32_handle.h"
#include "os/win32/win32_listing.h"
#include "os/win32/win32_path.h"
#include "os/win32/win32_pending_copy.h"
#include "os/win32/win32_temp_file.h"

namespace qs {

const char kPathSeparator = '\\';
const char kTextLineEnd[] = "\r\n";

namespace {

using win32::Fail;
using win32::FailWith;
using win32::InformationOf;
using win32::kShareAll;
using win32::ScopedHandle;
using win32::SizeOf;
using win32::TimeOf;
using win32::ToSystemPath;

// Each prepared copy holds its temporary file open until it is put in place.
constexpr size_t kPendingCopyLimit = 1024;

PathKind KindOf(DWORD attributes) {
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return PathKind::Directory;
  if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) return PathKind::Other;
  return PathKind::File;
}

/// The kind of a path that could not be looked at, from this thread's last error.
PathInfo NotLookedAt() {
  return {win32::IsNotFound(win32::LastError()) ? PathKind::Missing : PathKind::Unreadable,
          {},
          0,
          0,
          {}};
}

/// A link is what it leads to; a link that leads nowhere is Missing, as nothing is there.
/// The volume is left 0, as for every other path: the attribute query does not give it.
PathInfo StatThroughLink(const std::wstring& path) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!InformationOf(path, &info)) return NotLookedAt();
  return {KindOf(info.dwFileAttributes), TimeOf(info.ftLastWriteTime),
          SizeOf(info.nFileSizeHigh, info.nFileSizeLow), 0, TimeOf(info.ftCreationTime)};
}

class Win32FileSystem : public FileSystem {
 public:
  explicit Win32FileSystem(win32::ReplaceCalls& calls) : calls_(calls) {}

  PathInfo Stat(const std::string& path) override;
  bool IdentifyDirectory(const std::string& path, DirectoryId* id) override;
  bool ListDirectory(const std::string& path, DirListing* listing) override {
    return win32::ListFolder(path, listing);
  }
  // A mounted volume is reached only through a reparse point, which a listing gives as a
  // link: a walk that never enters links never enters another volume.
  bool IsMountRoot(const std::string&) override { return false; }
  MakeDirResult MakeDirectory(const std::string& path) override;
  std::unique_ptr<PendingCopy> PrepareCopy(const std::string& from, const std::string& to) override;
  bool CheckCopyTarget(const std::string& to) override;
  bool IsStoredUnderItsName(const std::string& path) override;
  bool CheckCopySource(const std::string& from) override;
  bool CheckMayCreateIn(const std::string& path) override;
  bool SyncVolume(const std::string&) override { return FailWith(ERROR_NOT_SUPPORTED); }
  // Names are written through as they are made (MOVEFILE_WRITE_THROUGH, CreateDirectoryW).
  bool SyncDirectory(const std::string&) override { return true; }
  VolumeHint DescribeVolume(const std::string& path) override;
  bool CreateEmptyFile(const std::string& path) override;
  bool SetLastWriteTime(const std::string& path, FileTime time) override;
  bool RemoveFile(const std::string& path) override;
  bool RemoveDirectory(const std::string& path) override;
  bool Rename(const std::string& from, const std::string& to) override;
  bool WriteWholeFile(const std::string& path, const std::string& content) override;
  std::unique_ptr<FileReader> OpenForReading(const std::string& path) override {
    return win32::OpenFileReader(path);
  }
  bool AppendToFile(const std::string& path, const std::string& bytes) override {
    return win32::AppendAndFlush(path, bytes);
  }
  size_t PendingCopyLimit() override { return kPendingCopyLimit; }
  uint32_t LastErrorCode() override { return win32::LastError(); }

 private:
  /// Opens the file at `path` for reading its data; false when it is no file.
  static bool OpenSource(const std::wstring& path, ScopedHandle* in,
                         BY_HANDLE_FILE_INFORMATION* info);

  win32::ReplaceCalls& calls_;
};

PathInfo Win32FileSystem::Stat(const std::string& path) {
  std::wstring system;
  if (!ToSystemPath(path, &system)) return NotLookedAt();
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(system.c_str(), GetFileExInfoStandard, &data)) {
    Fail();
    return NotLookedAt();
  }
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return StatThroughLink(system);
  return {KindOf(data.dwFileAttributes), TimeOf(data.ftLastWriteTime),
          SizeOf(data.nFileSizeHigh, data.nFileSizeLow), 0, TimeOf(data.ftCreationTime)};
}

bool Win32FileSystem::IdentifyDirectory(const std::string& path, DirectoryId* id) {
  std::wstring system;
  BY_HANDLE_FILE_INFORMATION info;
  if (!ToSystemPath(path, &system) || !InformationOf(system, &info)) return false;
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return FailWith(ERROR_DIRECTORY);
  *id = win32::IdOf(info);
  return true;
}

MakeDirResult Win32FileSystem::MakeDirectory(const std::string& path) {
  std::wstring system;
  if (!ToSystemPath(path, &system)) return MakeDirResult::Failed;
  if (CreateDirectoryW(system.c_str(), nullptr)) return MakeDirResult::Created;
  Fail();
  return win32::LastError() == ERROR_ALREADY_EXISTS ? MakeDirResult::AlreadyExists
                                                    : MakeDirResult::Failed;
}

bool Win32FileSystem::OpenSource(const std::wstring& path, ScopedHandle* in,
                                 BY_HANDLE_FILE_INFORMATION* info) {
  in->reset(CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!in->valid() || !GetFileInformationByHandle(in->get(), info)) return Fail();
  // A device opened by name holds no data that can be copied as a file.
  if (GetFileType(in->get()) != FILE_TYPE_DISK ||
      (info->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return FailWith(ERROR_INVALID_FUNCTION);
  return true;
}

std::unique_ptr<PendingCopy> Win32FileSystem::PrepareCopy(const std::string& from,
                                                          const std::string& to) {
  std::wstring source, target;
  if (!ToSystemPath(from, &source) || !ToSystemPath(to, &target)) return nullptr;
  ScopedHandle in;
  BY_HANDLE_FILE_INFORMATION info;
  win32::WriteState opened;
  if (!OpenSource(source, &in, &info) || !win32::WriteStateOf(in.get(), &opened)) return nullptr;
  return win32::CopyToPending(calls_, in.get(), info, opened, std::move(target));
}

bool Win32FileSystem::CheckCopySource(const std::string& from) {
  std::wstring source;
  ScopedHandle in;
  BY_HANDLE_FILE_INFORMATION info;
  return ToSystemPath(from, &source) && OpenSource(source, &in, &info);
}

bool Win32FileSystem::CheckMayCreateIn(const std::string& path) {
  std::wstring folder;
  return ToSystemPath(path, &folder) && win32::MayCreateIn(folder);
}

VolumeHint Win32FileSystem::DescribeVolume(const std::string& path) {
  std::wstring system;
  if (!ToSystemPath(path, &system)) return {};
  std::wstring root(system.size() + 1, L'\0');
  wchar_t name[MAX_PATH + 1] = {};
  if (!GetVolumePathNameW(system.c_str(), root.data(), static_cast<DWORD>(root.size())) ||
      !GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, name,
                             MAX_PATH + 1))
    return {};
  // Every file system of Windows finds names in any case; each keeps times in its own step.
  const std::wstring kind = name;
  if (kind == L"NTFS" || kind == L"ReFS") return {100, 1};
  if (kind == L"exFAT") return {10000000, 1};
  if (kind == L"FAT32" || kind == L"FAT") return {2000000000, 1};
  return {0, 1};
}

bool Win32FileSystem::CheckCopyTarget(const std::string& to) {
  std::wstring target;
  if (!ToSystemPath(to, &target)) return false;
  const uint32_t refused = win32::CheckReplaceable(calls_, target);
  return refused == 0 || FailWith(refused);
}

bool Win32FileSystem::IsStoredUnderItsName(const std::string& path) {
  std::wstring system;
  if (!ToSystemPath(path, &system)) return false;
  const uint32_t error = win32::CheckStoredName(system);
  return error == 0 || FailWith(error);
}

bool Win32FileSystem::CreateEmptyFile(const std::string& path) {
  std::wstring system;
  if (!ToSystemPath(path, &system)) return false;
  ScopedHandle file(CreateFileW(system.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  return file.valid() || Fail();
}

bool Win32FileSystem::SetLastWriteTime(const std::string& path, FileTime time) {
  std::wstring system;
  uint64_t units;
  if (!ToSystemPath(path, &system)) return false;
  // A count of 0 (1601-01-01 00:00:00.0000000) tells SetFileTime to leave the time alone.
  if (!win32::ToUnits(time, &units) || units == 0) return FailWith(ERROR_INVALID_PARAMETER);
  // A directory opens only with backup semantics.
  ScopedHandle file(CreateFileW(system.c_str(), FILE_WRITE_ATTRIBUTES, kShareAll, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.valid()) return Fail();
  FILETIME write_time;
  write_time.dwLowDateTime = static_cast<DWORD>(units);
  write_time.dwHighDateTime = static_cast<DWORD>(units >> 32);
  return SetFileTime(file.get(), nullptr, nullptr, &write_time) || Fail();
}

bool Win32FileSystem::RemoveFile(const std::string& path) {
  std::wstring system;
  if (!ToSystemPath(path, &system)) return false;
  // A link to a folder (a junction, a directory link) is removed as a folder: only the link
  // goes, never what it leads to. A read-only file is made writable first, as Windows asks.
  const DWORD attributes = GetFileAttributesW(system.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
    return RemoveDirectoryW(system.c_str()) || Fail();
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
    SetFileAttributesW(system.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  return DeleteFileW(system.c_str()) || Fail();
}

bool Win32FileSystem::RemoveDirectory(const std::string& path) {
  std::wstring system;
  if (!ToSystemPath(path, &system)) return false;
  return RemoveDirectoryW(system.c_str()) || Fail();
}

bool Win32FileSystem::Rename(const std::string& from, const std::string& to) {
  std::wstring old_path, new_path;
  if (!ToSystemPath(from, &old_path) || !ToSystemPath(to, &new_path)) return false;
  return MoveFileExW(old_path.c_str(), new_path.c_str(), MOVEFILE_WRITE_THROUGH) || Fail();
}

bool Win32FileSystem::WriteWholeFile(const std::string& path, const std::string& content) {
  std::wstring system;
  if (!ToSystemPath(path, &system)) return false;
  win32::TempFile temp(calls_, std::move(system));
  return temp.Create(FILE_ATTRIBUTE_NORMAL) && win32::WriteAll(temp.handle(), content) &&
         temp.Flush() && temp.Publish();
}

}  // namespace

namespace win32 {

std::unique_ptr<FileSystem> MakeWin32FileSystem(ReplaceCalls& calls) {
  return std::make_unique<Win32FileSystem>(calls);
}

}  // namespace win32

std::unique_ptr<FileSystem> MakeRealFileSystem() {
  return win32::MakeWin32FileSystem(win32::RealReplaceCalls());
}

}  // namespace qs
