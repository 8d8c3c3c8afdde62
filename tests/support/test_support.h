// Shared test doubles and helpers: a temporary directory, a fake clock, a file system that
// records calls and fails on request, and small file helpers.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "engine/backup_job.h"
#include "engine/file_times.h"
#include "log/log_services.h"
#include "os/clock.h"
#include "os/file_system.h"
#include "schedule/run_seams.h"
#include "tests/support/backup_logs.h"
#include "tests/support/memory_log_pane.h"

namespace qs::test {

/// The system's file system, one for the whole test program.
FileSystem& RealFs();

/// A fresh directory below the system's temporary directory, removed with all its content.
class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;
  /// The directory's path, without a trailing separator.
  const std::string& path() const { return path_; }
  /// path() + separator + relative, with '/' in `relative` turned into the native separator.
  std::string operator/(const std::string& relative) const;

 private:
  std::string path_;
};

/// Turns '/' into the native separator.
std::string Native(const std::string& path);

/// Writes a file (making its directories) and, unless time is zero, sets its last-write time.
void WriteFile(const std::string& path, const std::string& content, FileTime time = {});
std::string ReadFile(const std::string& path);
/// Reads through a text stream, which turns the system's line end into "\n".
std::string ReadTextFile(const std::string& path);
bool Exists(const std::string& path);
void MakeDirs(const std::string& path);
/// Every file below `root`, as paths relative to it with '/' separators, sorted; the record
/// folder at its top is left out (the tests of the record read it themselves).
std::vector<std::string> ListTree(const std::string& root);

/// One second of the monotonic clock, in nanoseconds.
constexpr int64_t kSecondNanos = 1000000000;

/// Seconds since 1970 as a FileTime.
constexpr FileTime Seconds(int64_t s) { return {s, 0}; }
/// Seconds and nanoseconds since 1970 as a FileTime.
constexpr FileTime At(int64_t s, int64_t nanos) { return MakeFileTime(s, nanos); }

/// A clock that never moves unless told to; sleeping moves it at once.
class FakeClock : public Clock {
 public:
  int64_t MonotonicNanos() override;
  void SleepMillis(int64_t millis) override;
  int64_t WallTicks() override;
  void Advance(int64_t nanos);
  void SetWallTicks(int64_t ticks);

 private:
  std::mutex mutex_;
  int64_t monotonic_ = 1000000000;
  int64_t wall_ticks_ = int64_t{1738310400} * 10000000;  // 2025-01-31 08:00:00 UTC
};

/// A fake clock whose sleeps move it at once, but only as far as the test has let time run:
/// a sleep beyond that is held until RunFor gives more time or Free lets every sleep through.
class StepClock : public Clock {
 public:
  int64_t MonotonicNanos() override;
  void SleepMillis(int64_t millis) override;
  int64_t WallTicks() override;

  void RunFor(int64_t millis);
  void Free();
  /// Returns once a sleeper is held for lack of time (one sleeping thread at a time); a
  /// failure of the test after kLongestWait.
  void WaitUntilHeld();
  int64_t SleptMillis();

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int64_t monotonic_ = 1000000000;
  int64_t wall_ticks_ = int64_t{1738310400} * 10000000;  // 2025-01-31 08:00:00 UTC
  int64_t allowed_millis_ = 0;
  int64_t slept_millis_ = 0;
  int64_t held_for_millis_ = 0;  ///< what the held sleeper asks for; 0 when none is held
  bool free_ = false;
};

/// How long any wait in the tests may take before it counts as a failure.
constexpr std::chrono::seconds kLongestWait{20};

/// Waits (in short real sleeps, kLongestWait at most) until `done` holds; returns whether it did.
bool WaitUntil(const std::function<bool()>& done);

/// Forwards every call to the real file system; doubles override what they change.
class ForwardingFileSystem : public FileSystem {
 public:
  PathInfo Stat(const std::string& path) override { return real_.Stat(path); }
  bool IdentifyDirectory(const std::string& path, DirectoryId* id) override {
    return real_.IdentifyDirectory(path, id);
  }
  bool ListDirectory(const std::string& path, DirListing* listing) override {
    return real_.ListDirectory(path, listing);
  }
  bool IsMountRoot(const std::string& path) override { return real_.IsMountRoot(path); }
  MakeDirResult MakeDirectory(const std::string& path) override {
    return real_.MakeDirectory(path);
  }
  std::unique_ptr<PendingCopy> PrepareCopy(const std::string& from,
                                           const std::string& to) override {
    return real_.PrepareCopy(from, to);
  }
  bool CheckCopyTarget(const std::string& to) override { return real_.CheckCopyTarget(to); }
  bool IsStoredUnderItsName(const std::string& path) override {
    return real_.IsStoredUnderItsName(path);
  }
  bool CheckCopySource(const std::string& from) override { return real_.CheckCopySource(from); }
  bool CheckMayCreateIn(const std::string& path) override { return real_.CheckMayCreateIn(path); }
  bool SyncVolume(const std::string& path) override { return real_.SyncVolume(path); }
  bool SyncDirectory(const std::string& path) override { return real_.SyncDirectory(path); }
  VolumeHint DescribeVolume(const std::string& path) override { return real_.DescribeVolume(path); }
  bool CreateEmptyFile(const std::string& path) override { return real_.CreateEmptyFile(path); }
  bool SetLastWriteTime(const std::string& path, FileTime time) override {
    return real_.SetLastWriteTime(path, time);
  }
  bool RemoveFile(const std::string& path) override { return real_.RemoveFile(path); }
  bool RemoveDirectory(const std::string& path) override { return real_.RemoveDirectory(path); }
  bool Rename(const std::string& from, const std::string& to) override {
    return real_.Rename(from, to);
  }
  bool WriteWholeFile(const std::string& path, const std::string& content) override {
    return real_.WriteWholeFile(path, content);
  }
  std::unique_ptr<FileReader> OpenForReading(const std::string& path) override {
    return real_.OpenForReading(path);
  }
  bool AppendToFile(const std::string& path, const std::string& bytes) override {
    return real_.AppendToFile(path, bytes);
  }
  size_t PendingCopyLimit() override { return real_.PendingCopyLimit(); }
  uint32_t LastErrorCode() override { return real_.LastErrorCode(); }

 protected:
  FileSystem& real_ = RealFs();
};

/// Wraps the real file system, records what was asked, and fails on request.
class FaultyFileSystem : public ForwardingFileSystem {
 public:
  PathInfo Stat(const std::string& path) override;
  bool ListDirectory(const std::string& path, DirListing* listing) override;
  MakeDirResult MakeDirectory(const std::string& path) override;
  std::unique_ptr<PendingCopy> PrepareCopy(const std::string& from, const std::string& to) override;
  bool SyncVolume(const std::string& path) override;
  bool SyncDirectory(const std::string& path) override;
  bool CreateEmptyFile(const std::string& path) override;
  bool SetLastWriteTime(const std::string& path, FileTime time) override;
  bool IsStoredUnderItsName(const std::string& path) override;
  bool WriteWholeFile(const std::string& path, const std::string& content) override;
  bool AppendToFile(const std::string& path, const std::string& bytes) override;
  uint32_t LastErrorCode() override;

  /// Copies whose target path satisfies the predicate fail with `code`.
  std::function<bool(const std::string& to)> failCopyTo;
  /// Copies from a source that satisfies the predicate (asked once a try) find it changed
  /// while they read it, and fail with kErrorSourceChanged, as the real one does.
  std::function<bool(const std::string& from)> changeWhileCopying;
  /// Stats of paths that satisfy the predicate find them unreadable, with `code`.
  std::function<bool(const std::string& path)> failStatOf;
  /// Listings of directories whose path satisfies the predicate fail with `code`.
  std::function<bool(const std::string& path)> failListDirectory;
  /// Directory creations whose path satisfies the predicate fail with `code`.
  std::function<bool(const std::string& path)> failMakeDirectory;
  /// Directory creations whose path satisfies the predicate report the directory made, even
  /// when it was there already (as if another program made it in between).
  std::function<bool(const std::string& path)> claimMadeDirectory;
  /// Whole-file writes whose path satisfies the predicate fail with `code`.
  std::function<bool(const std::string& path)> failWriteOf;
  /// Appends to files whose path satisfies the predicate fail with `code`.
  std::function<bool(const std::string& path)> failAppendOf;
  /// True: every whole-volume flush fails with `code` (as on a disk error), while each copy and
  /// each directory still flushes on its own.
  bool failVolumeFlushes = false;
  /// Copies whose target path satisfies the predicate report extended attributes not kept.
  std::function<bool(const std::string& to)> dropAttributesOf;
  /// Flushes of copies whose target path satisfies the predicate fail with `code`.
  std::function<bool(const std::string& to)> failFlushOf;
  uint32_t code = 28;
  /// When set, the times of paths below `coarseRoot` (every path when it is empty) read back
  /// cut down to steps of this many nanoseconds, as a coarse volume keeps them.
  TimeStep timeStep = 0;
  std::string coarseRoot;
  /// False: the volume has no whole-volume flush (as over FUSE), so copies are flushed alone.
  bool wholeVolumeFlush = true;
  /// True: new files found under another case of their name (as on FAT and NTFS), and never
  /// replaced under it: IsStoredUnderItsName and a copy's Publish refuse another spelling.
  bool foldsCase = false;
  /// True: a last-write time set is ignored, as by a target that dates files by itself.
  bool dropTimes = false;

  std::vector<std::string> directoriesMade;
  std::vector<std::string> probes;
  std::vector<std::pair<std::string, std::string>> copies;
  /// "prepare TO", "flush TO", "publish TO", "publish-new TO", "sync-volume DIR",
  /// "sync-directory DIR", in order.
  std::vector<std::string> events;

  void Record(const std::string& event);
  /// How many events there are, safe while file threads add more.
  size_t EventCount();
  bool FailsFlushOf(const std::string& to);

 private:
  bool IsCoarse(const std::string& path) const;
  std::mutex mutex_;
};

/// The real file system, except that every copy waits at a gate until the test opens it.
class GatedFileSystem : public ForwardingFileSystem {
 public:
  std::unique_ptr<PendingCopy> PrepareCopy(const std::string& from, const std::string& to) override;

  /// Returns once a copy is waiting at the closed gate; a failure after kLongestWait.
  void WaitUntilCopyWaiting();
  void Open();

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int waiting_ = 0;
  bool open_ = false;
};

/// Services over the given file system and clock, with output captured in `console`.
JobServices TestServices(FileSystem* fs, Clock* clock, std::ostream* console);

/// The state of a run over "src" and "dst" in a fresh temporary directory, with a recording
/// file system, a fake clock and its two logs over in-memory panes.
class JobFixture : public ::testing::Test {
 protected:
  explicit JobFixture(bool time_versioning = false);
  /// The backup log's lines without their stamps.
  std::vector<std::string> BackupLog();

  ScopedTempDir dir_;
  FaultyFileSystem fs_;
  FakeClock clock_;
  std::ostringstream console_;
  MemoryLogPane backup_pane_, file_pane_;
  BackupLogs logs_;
  BackupJob job_;
};

/// The pane's lines (split at CR LF), the empty last line left out.
std::vector<std::string> PaneLines(const std::string& text);

/// The lines with the "[yyyy-mm-dd hh:mm:ss.mmm] " stamp removed where present.
std::vector<std::string> WithoutStamps(const std::vector<std::string>& lines);

}  // namespace qs::test
