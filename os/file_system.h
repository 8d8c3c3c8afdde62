// The file-system seam: everything the engine asks of the disk.
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "os/content_hash.h"

namespace qs {

/// The native path separator: '/' on POSIX, '\\' on Windows.
extern const char kPathSeparator;

/// The line end of a text file written for people: "\n" on POSIX, "\r\n" on Windows.
extern const char kTextLineEnd[];

/// A last-write time: seconds since 1970-01-01 00:00:00 UTC (negative before) and the
/// nanoseconds within that second (0 to 999,999,999). Holds every time either system can
/// store (Windows: years 1601 to 30828; POSIX: any 64-bit time_t). The zero time stands for
/// "could not be read".
struct FileTime {
  int64_t seconds = 0;
  int32_t nanos = 0;

  friend constexpr auto operator<=>(const FileTime&, const FileTime&) = default;
  constexpr bool IsZero() const { return seconds == 0 && nanos == 0; }
};

/// A time given as whole seconds and nanoseconds, the nanoseconds brought into range.
constexpr FileTime MakeFileTime(int64_t seconds, int64_t nanos = 0) {
  seconds += nanos / 1000000000;
  nanos %= 1000000000;
  if (nanos < 0) {
    nanos += 1000000000;
    --seconds;
  }
  return {seconds, static_cast<int32_t>(nanos)};
}

/// A listing's time for an entry whose time it did not read (POSIX listings give none).
constexpr FileTime kUnknownTime{INT64_MIN, 0};
/// A listing's size for an entry whose size it did not read.
constexpr uint64_t kUnknownSize = UINT64_MAX;

/// Codes that LastErrorCode gives for what no system call reports. Windows leaves the codes
/// with bit 29 set to programs, and no errno value comes near them.
/// The source of a copy changed while it was read (its size, last-write or change time):
/// the copy would mix two versions of it.
constexpr uint32_t kErrorSourceChanged = 0x20000001;
/// The target's folder keeps the entry found at a path under another spelling (Notes.txt for
/// notes.txt, on a volume that ignores case): replacing it would put one file over another.
constexpr uint32_t kErrorStoredUnderOtherName = 0x20000002;

/// What stands at a path. Missing means nothing is there (the path or a folder on its way
/// does not exist); Unreadable means the system could not tell (no permission, a name it
/// cannot take): LastErrorCode says why.
enum class PathKind { Missing, Directory, File, Other, Unreadable };

/// What a path is and when it was last written (following links).
struct PathInfo {
  PathKind kind = PathKind::Missing;
  FileTime lastWrite;
  uint64_t size = 0;
  /// The volume the item is on; 0 when the system does not say.
  uint64_t volume = 0;
  /// A moment by which the item surely stood where it is: its last change of status on POSIX
  /// (its name linked or renamed into place, its times or mode set), its creation on
  /// Windows. Zero when the system does not say.
  FileTime inPlaceBy;
};

/// Identity of a directory, so a link cycle can be recognised.
struct DirectoryId {
  uint64_t device = 0;
  uint64_t node = 0;
  bool operator==(const DirectoryId&) const = default;
};

/// Links are followed: a link to a directory is a Directory, to a file a File.
/// - Special: pipes, sockets and devices, which hold no data that can be copied as a file.
/// - DanglingLink: a link whose target does not exist (or a loop of links): no data.
/// - SystemJunction: a link the system keeps for old programs (Windows' "My Music" in
///   Documents and the like) whose listing is denied by design; it holds nothing of its own.
enum class EntryKind { File, Directory, Special, DanglingLink, SystemJunction };

/// One entry of a directory listing.
struct DirEntry {
  std::string name;
  EntryKind kind = EntryKind::File;
  /// The file's last-write time, zero when it could not be read, or kUnknownTime when the
  /// listing does not give it (then Stat gives it).
  FileTime lastWrite = kUnknownTime;
  /// The file's size, or kUnknownSize when the listing does not give it.
  uint64_t size = kUnknownSize;
  /// The entry is a link (a symbolic link, a junction): what `kind` says is its target's.
  bool link = false;
};

struct DirListing {
  DirectoryId id;
  std::vector<DirEntry> entries;  ///< in the order the system delivers them, "." and ".." left out
};

enum class MakeDirResult { Created, AlreadyExists, Failed };

/// What the system says of a volume without anything being written to it: how finely it
/// keeps last-write times and whether it finds a name in another case. Used where nothing may
/// be written (a dry run); a run that may write learns both by trying.
struct VolumeHint {
  int64_t timeStepNanos = 0;  ///< 1 for exact times; 0 when the system does not say
  int foldsCase = -1;         ///< 1 yes, 0 no, -1 when the system does not say
};

/// What a copy holds: the source's size and last-write time as it was read, and the hash of
/// the bytes that went into the copy, computed as they passed.
struct CopiedContent {
  bool known = false;  ///< false when the copy does not say (then nothing below counts)
  uint64_t size = 0;
  FileTime lastWrite;
  bool hashKnown = false;
  ContentHash hash;
};

/// A copy written into a temporary file beside its target, not yet visible there. Dropping
/// it unpublished removes the temporary file and leaves the target as it was.
class PendingCopy {
 public:
  virtual ~PendingCopy() = default;
  /// The volume the copy is written to; 0 when the system does not say.
  virtual uint64_t Volume() const = 0;
  /// True when FileSystem::SyncVolume puts this copy on the disk together with everything
  /// else on its volume; false when only Flush does.
  virtual bool FlushedWithVolume() const = 0;
  /// Puts the copy's data on the disk.
  virtual bool Flush() = 0;
  /// Makes the copy appear at its target in one step, replacing what is there: never an entry
  /// that its folder keeps under another spelling (fails with kErrorStoredUnderOtherName).
  virtual bool Publish() = 0;
  /// Makes the copy appear at its target in one step where nothing has that name; else false
  /// with the system's "exists" code, and what is there stays as it was.
  virtual bool PublishNew() = 0;
  /// The error code of what the target could not keep of the source's extended attributes
  /// or access lists (the copy is complete without them); 0 when everything was kept.
  virtual uint32_t AttributesNotKept() const = 0;
  /// What the copy holds; unknown by default, for copies that never see the bytes.
  virtual CopiedContent Content() const { return {}; }
};

/// A file opened for reading its bytes from the start.
class FileReader {
 public:
  virtual ~FileReader() = default;
  /// Reads up to `size` bytes into `buffer`: how many, 0 at the end, -1 on failure (with the
  /// error code for LastErrorCode).
  virtual int64_t Read(char* buffer, size_t size) = 0;
};

/// Abstract so that tests can wrap it and inject failures. Every failing call leaves the
/// system's error code for LastErrorCode, on the calling thread.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual PathInfo Stat(const std::string& path) = 0;
  /// Identity of the directory at path; false when it is not a readable directory.
  virtual bool IdentifyDirectory(const std::string& path, DirectoryId* id) = 0;
  /// False when the directory cannot be listed; the listing then holds nothing.
  virtual bool ListDirectory(const std::string& path, DirListing* listing) = 0;
  /// True when the directory at `path` is the root of a mounted file system (a bind mount of
  /// a folder of the same device included), as far as the system tells. Windows' mount
  /// points are links and never reach here.
  virtual bool IsMountRoot(const std::string& path) = 0;
  virtual MakeDirResult MakeDirectory(const std::string& path) = 0;

  /// Copies a whole file into a temporary file beside `to`, with the source's last-write
  /// time, attributes (mode, owner and group where permitted, else without setuid and
  /// setgid), extended attributes and access lists, and its holes. Null when it failed; with
  /// kErrorSourceChanged when the source's size, last-write or change time after the last
  /// byte differ from those taken when it was opened (a file rewritten meanwhile).
  /// Callers check the target with CheckCopyTarget first: publishing may replace whatever
  /// is not a directory.
  virtual std::unique_ptr<PendingCopy> PrepareCopy(const std::string& from,
                                                   const std::string& to) = 0;
  /// True when `to` is a file or nothing, so a copy may be published there; else false with
  /// the error code of "is a directory" or "exists". Writes nothing.
  virtual bool CheckCopyTarget(const std::string& to) = 0;
  /// True when the folder of `path` lists the entry there under exactly the last name of
  /// `path`, byte for byte, or when its volume always tells names apart by case. False with
  /// kErrorStoredUnderOtherName when the volume found `path` under another spelling, or with
  /// the system's code when the folder cannot be read.
  virtual bool IsStoredUnderItsName(const std::string& path) = 0;
  /// True when the file at `from` opens for reading as PrepareCopy opens it; else false with
  /// the code PrepareCopy would fail with there. Reads and writes nothing.
  virtual bool CheckCopySource(const std::string& from) = 0;
  /// True when the system's permissions let this process make files and folders in the folder
  /// at `path`; else false with the code such a creation would fail with. Writes nothing.
  virtual bool CheckMayCreateIn(const std::string& path) = 0;
  /// Flushes everything written to the volume that holds `path`, names included, in one call
  /// (syncfs). False when the volume has no such flush (then flush each copy and sync each
  /// directory), or when it failed.
  virtual bool SyncVolume(const std::string& path) = 0;
  /// Makes the names in the directory durable.
  virtual bool SyncDirectory(const std::string& path) = 0;
  /// What the kind of the volume holding `path` says of it; writes nothing.
  virtual VolumeHint DescribeVolume(const std::string& path) = 0;

  /// Makes a new empty file; fails when anything already has that name.
  virtual bool CreateEmptyFile(const std::string& path) = 0;
  virtual bool SetLastWriteTime(const std::string& path, FileTime time) = 0;
  /// Removes a file, or a link (never what a link leads to, even a folder).
  virtual bool RemoveFile(const std::string& path) = 0;
  /// Removes an empty directory.
  virtual bool RemoveDirectory(const std::string& path) = 0;
  /// Gives a file or a folder a new name on the same volume, in one step; fails when
  /// something already has the new name.
  virtual bool Rename(const std::string& from, const std::string& to) = 0;
  /// Writes `content` as the whole file at `path`, replacing it in one step, flushed.
  virtual bool WriteWholeFile(const std::string& path, const std::string& content) = 0;
  /// Opens a file to read its bytes; null when it cannot be opened or is no file.
  virtual std::unique_ptr<FileReader> OpenForReading(const std::string& path) = 0;
  /// Adds `bytes` at the end of the file at `path` (made when missing) and flushes them; a
  /// failure may leave part of them there. The name of a file it made is durable only once
  /// its folder is synced.
  virtual bool AppendToFile(const std::string& path, const std::string& bytes) = 0;

  /// How many prepared copies may wait to be published at once: each may hold a file open.
  virtual size_t PendingCopyLimit() = 0;

  /// The system's error code of this thread's last failing call above, in decimal form.
  virtual uint32_t LastErrorCode() = 0;

  PathKind Probe(const std::string& path) { return Stat(path).kind; }
  FileTime LastWriteTime(const std::string& path) { return Stat(path).lastWrite; }
  /// Prepare, flush and publish: a whole copy that is on the disk when this returns true.
  bool CopyReplacing(const std::string& from, const std::string& to);
  /// The whole file, unless it holds more than `limit` bytes (then false with nothing read).
  bool ReadWholeFile(const std::string& path, std::string* content, uint64_t limit);
};

/// The system's file system. The program makes one where it starts and passes it on.
std::unique_ptr<FileSystem> MakeRealFileSystem();

}  // namespace qs
