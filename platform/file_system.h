// The file-system seam: everything the engine asks of the disk.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qs {

/// The native path separator: '/' on POSIX, '\\' on Windows.
extern const char kPathSeparator;

/// Last-write time in nanoseconds since 1970-01-01 00:00:00 UTC; 0 when unreadable.
using FileTime = int64_t;

/// A listing's time for an entry whose time it did not read (POSIX listings give none).
constexpr FileTime kUnknownTime = INT64_MIN;

enum class PathKind { Missing, Directory, Other };

/// What a path is and when it was last written (following links).
struct PathInfo {
  PathKind kind = PathKind::Missing;
  FileTime lastWrite = 0;
};

/// Identity of a directory, so a link cycle can be recognised.
struct DirectoryId {
  uint64_t device = 0;
  uint64_t node = 0;
  bool operator==(const DirectoryId&) const = default;
};

enum class EntryKind { File, Directory, Special };

/// One entry of a directory listing. Links are followed: a link to a directory is a
/// Directory, a dangling link is a File. Special entries (pipes, sockets, devices) hold no
/// data that can be copied as a file.
struct DirEntry {
  std::string name;
  EntryKind kind = EntryKind::File;
  /// The file's last-write time, 0 when it could not be read, or kUnknownTime when the
  /// listing does not give it (then Stat gives it).
  FileTime lastWrite = kUnknownTime;
};

struct DirListing {
  DirectoryId id;
  std::vector<DirEntry> entries;  ///< in the order the system delivers them, "." and ".." left out
};

enum class MakeDirResult { Created, AlreadyExists, Failed };

/// Abstract so that tests can wrap it and inject failures.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual PathInfo Stat(const std::string& path) = 0;
  /// Identity of the directory at path; false when it is not a readable directory.
  virtual bool IdentifyDirectory(const std::string& path, DirectoryId* id) = 0;
  /// False when the directory cannot be listed; the listing then holds nothing.
  virtual bool ListDirectory(const std::string& path, DirListing* listing) = 0;
  virtual MakeDirResult MakeDirectory(const std::string& path) = 0;
  /// Copies a whole file so that `to` never holds a partial copy: the data goes into a
  /// temporary file beside `to`, which then replaces `to` in one step. The copy keeps the
  /// source's last-write time (and mode where the system has one).
  virtual bool CopyReplacing(const std::string& from, const std::string& to) = 0;
  /// The system's error code of this thread's last failing call above, in decimal form.
  virtual uint32_t LastErrorCode() = 0;

  PathKind Probe(const std::string& path) { return Stat(path).kind; }
  FileTime LastWriteTime(const std::string& path) { return Stat(path).lastWrite; }
};

/// True for the names of the temporary files that CopyReplacing makes; scans leave them out.
bool IsCopyTempName(const std::string& name);

std::unique_ptr<FileSystem> MakeRealFileSystem();

/// The process's one real file system, for code that has no seam passed in.
FileSystem& RealFileSystem();

}  // namespace qs
