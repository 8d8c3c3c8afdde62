// A file system in memory that can crash: every change a call makes stays pending until the
// call that makes it durable, and at any call the states a crash may leave can be taken,
// each booting into a file system of its own. Portable: no call reaches the system.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "os/file_system.h"
#include "tests/support/crash_image.h"

namespace qs::test {

/// The seam's calls, as the double counts them. A new call of the seam gets a kind here and
/// one line in the table of crash_file_system.cc; the ops it makes are the five of CrashOp.
enum class CrashCall : uint8_t {
  kStat,
  kIdentifyDirectory,
  kListDirectory,
  kMakeDirectory,
  kPrepareCopy,
  kFlush,    ///< PendingCopy::Flush
  kPublish,  ///< PendingCopy::Publish
  kCheckCopyTarget,
  kSyncVolume,
  kSyncDirectory,
  kDescribeVolume,
  kCreateEmptyFile,
  kSetLastWriteTime,
  kRemoveFile,
  kRemoveDirectory,
  kRename,
  kWriteWholeFile,
  /// AppendToFile's write; its flush that follows is counted as a kFlush of its own, so that
  /// a crash may fall between the two and tear the bytes appended.
  kAppendToFile,
  kCount
};

const char* CrashCallName(CrashCall call);
/// Flushes of a file, a folder or the volume: the calls after which more may be durable.
bool IsDurabilityCall(CrashCall call);

struct CrashSettings {
  /// Folders whose content lives on a volume that never crashes (the sources).
  std::vector<std::string> stableRoots;
  /// True: SyncVolume flushes everything and copies say they are flushed with the volume;
  /// false: SyncVolume fails as over FUSE, and each copy and folder is flushed alone.
  bool wholeVolumeFlush = true;
  size_t pendingCopyLimit = 64;
};

inline constexpr uint64_t kStableVolume = 1;
inline constexpr uint64_t kCrashVolume = 2;
/// What a fresh node's last-write time starts from: later than any source time in the tests,
/// as a disk's clock is later than the times a copy should carry.
inline constexpr int64_t kCrashClockStart = 1893456000;  // 2030-01-01 00:00:00 UTC

class CrashFileSystem : public FileSystem {
 public:
  /// `clock_millis`: how far the disk's clock has run past kCrashClockStart.
  explicit CrashFileSystem(CrashSettings settings, CrashImage durable = CrashImage(),
                           int64_t clock_millis = 0);
  ~CrashFileSystem() override;

  PathInfo Stat(const std::string& path) override;
  bool IdentifyDirectory(const std::string& path, DirectoryId* id) override;
  bool ListDirectory(const std::string& path, DirListing* listing) override;
  MakeDirResult MakeDirectory(const std::string& path) override;
  std::unique_ptr<PendingCopy> PrepareCopy(const std::string& from, const std::string& to) override;
  bool CheckCopyTarget(const std::string& to) override;
  bool SyncVolume(const std::string& path) override;
  bool SyncDirectory(const std::string& path) override;
  VolumeHint DescribeVolume(const std::string& path) override;
  bool CreateEmptyFile(const std::string& path) override;
  bool SetLastWriteTime(const std::string& path, FileTime time) override;
  bool RemoveFile(const std::string& path) override;
  bool RemoveDirectory(const std::string& path) override;
  bool Rename(const std::string& from, const std::string& to) override;
  bool WriteWholeFile(const std::string& path, const std::string& content) override;
  bool IsMountRoot(const std::string& path) override;
  bool IsStoredUnderItsName(const std::string& path) override;
  bool CheckCopySource(const std::string& from) override;
  bool CheckMayCreateIn(const std::string& path) override;
  std::unique_ptr<FileReader> OpenForReading(const std::string& path) override;
  bool AppendToFile(const std::string& path, const std::string& bytes) override;
  size_t PendingCopyLimit() override { return settings_.pendingCopyLimit; }
  uint32_t LastErrorCode() override;

  /// Puts a file (and the folders above it) in place, durable at once and not counted: the
  /// tests' own setup, as if it had been there before.
  void PutFile(const std::string& path, const std::string& bytes, FileTime time);
  /// The same for a folder and the folders above it.
  void PutFolder(const std::string& path);
  /// The `nth` call (from 1) of kind `call` from now on fails with `code`, changing nothing.
  void FailNth(CrashCall call, uint64_t nth, uint32_t code);

  /// Calls counted so far; crash point N lies just before the call numbered N (from 0), so
  /// point CallCount() is after the last call.
  uint64_t CallCount();
  std::vector<CrashCall> Calls();
  /// What the run sees now.
  CrashImage Live();
  /// How many ops were pending at crash point `point`, and which of them are writes.
  std::vector<bool> PendingWritesAt(uint64_t point);
  /// What the disk holds after a crash at `point`, each pending op (in issue order) faring as
  /// `fates` says; missing fates are drops.
  CrashImage ImageAt(uint64_t point, const std::vector<Fate>& fates);
  /// A fresh file system booted from `image`, with these settings and nothing pending.
  std::unique_ptr<CrashFileSystem> Reboot(const CrashImage& image) const;

 private:
  class Copy;
  struct LoggedOp {
    CrashOp op;
    uint64_t issued = 0;
    uint64_t durable = UINT64_MAX;  ///< the call that made it durable
  };

  /// Counts the call; the code it is to fail with, or 0.
  uint32_t Enter(CrashCall call);
  bool IsStablePath(const std::string& path) const;
  uint64_t VolumeOf(uint64_t node) const;
  /// Applies the op to the live image and logs it; durable at once on the stable volume, or
  /// when `durable` says so.
  void Issue(CrashOp op, bool durable = false);
  FileTime Now() const;
  /// Marks durable every pending op `pick` chooses.
  void MakeDurable(const std::function<bool(const CrashOp&)>& pick);
  void FlushNode(uint64_t node);
  bool FlushCopy(uint64_t node);
  bool PublishCopy(uint64_t node, const std::string& to, bool replacing);
  uint64_t NewNode(bool directory, const std::string& path);
  /// The folder holding the last name of `path`, made durable with those above it as needed.
  uint64_t PutFolders(const std::vector<std::string>& parts, size_t count);
  PathInfo InfoOf(uint64_t node) const;

  const CrashSettings settings_;
  const CrashImage base_;  ///< what the disk held at boot
  mutable std::mutex mutex_;
  CrashImage live_;
  std::vector<CrashNode> fresh_;  ///< the nodes made since boot, as they were made
  int64_t clock_millis_;
  std::vector<LoggedOp> ops_;
  std::vector<CrashCall> calls_;
  std::vector<uint64_t> calls_of_kind_;
  struct Failure {
    CrashCall call;
    uint64_t at;
    uint32_t code;
  };
  std::vector<Failure> failures_;
};

}  // namespace qs::test
