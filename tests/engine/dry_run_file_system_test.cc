// Dry runs on real temporary trees: the file system that only pretends to write, and whole
// runs through it that leave the disk as it was while they log what the real run then does.
#include "engine/dry_run_file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <sstream>

#include "engine/backup_run.h"
#include "engine/paths.h"
#include "engine/target_volume.h"
#include "os/error_text.h"
#include "tests/support/backup_logs.h"
#include "tests/support/memory_log_pane.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::Native;
using test::Seconds;
using Lines = std::vector<std::string>;

/// The real file system, with every call that changes the disk recorded; it stands for a
/// volume whose kind names its time step (the step the real probe finds) and says whether it
/// folds case as the system's own volumes do.
class ChangeRecorder : public test::ForwardingFileSystem {
 public:
  explicit ChangeRecorder(TimeStep step) : step_(step) {}

  MakeDirResult MakeDirectory(const std::string& path) override {
    Record("make-directory " + path);
    return real_.MakeDirectory(path);
  }
  std::unique_ptr<PendingCopy> PrepareCopy(const std::string& from,
                                           const std::string& to) override {
    Record("copy " + to);
    return real_.PrepareCopy(from, to);
  }
  bool SyncVolume(const std::string& path) override {
    Record("sync-volume " + path);
    return real_.SyncVolume(path);
  }
  bool SyncDirectory(const std::string& path) override {
    Record("sync-directory " + path);
    return real_.SyncDirectory(path);
  }
  bool CreateEmptyFile(const std::string& path) override {
    Record("create " + path);
    return real_.CreateEmptyFile(path);
  }
  bool SetLastWriteTime(const std::string& path, FileTime time) override {
    Record("set-time " + path);
    return real_.SetLastWriteTime(path, time);
  }
  bool RemoveFile(const std::string& path) override {
    Record("remove " + path);
    return real_.RemoveFile(path);
  }
  bool RemoveDirectory(const std::string& path) override {
    Record("remove-directory " + path);
    return real_.RemoveDirectory(path);
  }
  bool Rename(const std::string& from, const std::string& to) override {
    Record("rename " + from);
    return real_.Rename(from, to);
  }
  bool WriteWholeFile(const std::string& path, const std::string& content) override {
    Record("write " + path);
    return real_.WriteWholeFile(path, content);
  }
  VolumeHint DescribeVolume(const std::string& path) override {
    Record("describe " + path);
    return {step_, kPathSeparator == '\\' ? 1 : 0};
  }

  Lines Changes() {
    std::lock_guard<std::mutex> lock(mutex_);
    Lines changes;
    for (const std::string& call : calls_)
      if (call.rfind("describe ", 0) != 0) changes.push_back(call);
    return changes;
  }
  int Descriptions() {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(std::count_if(calls_.begin(), calls_.end(), [](const auto& call) {
      return call.rfind("describe ", 0) == 0;
    }));
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.clear();
  }

 private:
  void Record(const std::string& call) {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(call);
  }
  const TimeStep step_;
  std::mutex mutex_;
  Lines calls_;
};

/// `root` and every entry below it: its kind, size and last-write time. A folder's time
/// changes whenever a name is made or removed in it, so a probe file made and removed again
/// shows.
std::map<std::string, std::string> Snapshot(const std::string& root) {
  std::map<std::string, std::string> entries;
  const auto add = [&](const std::string& path) {
    const PathInfo info = test::RealFs().Stat(path);
    entries[path] = std::to_string(static_cast<int>(info.kind)) + " " +
                    std::to_string(info.kind == PathKind::File ? info.size : 0) + " " +
                    std::to_string(info.lastWrite.seconds) + "." +
                    std::to_string(info.lastWrite.nanos);
  };
  add(root);
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    const std::u8string name = entry.path().u8string();
    add(std::string(name.begin(), name.end()));
  }
  return entries;
}

/// A dry run's log without the lines only a dry run writes, its first and its last.
Lines WithoutDryRunLines(const Lines& log) {
  if (log.size() < 2 || log.front() != "Dry run: nothing will be written." ||
      log.back() != "Dry run: nothing was written.") {
    ADD_FAILURE() << "not the log of a dry run";
    return log;
  }
  return Lines(log.begin() + 1, log.end() - 1);
}

class DryRunTest : public ::testing::Test {
 protected:
  DryRunTest() : recorder_(ProbeTimeStep(test::RealFs(), dir_.path())), dry_(recorder_) {}

  struct Run {
    Lines backupLog, fileLog;
    BackupResults results;
  };

  /// One run of "src" to `target` (below the temporary directory), dry or real.
  Run RunOnce(bool dry, bool versioning, const std::string& target = "dst") {
    MemoryLogPane backup_pane, file_pane;
    test::FakeClock clock;  // each run at the same moment: the same version folder name
    std::ostringstream console;
    BackupOptions options = BackupOptions::Of(dir_ / "src", dir_ / target, versioning);
    options.dryRun = dry;
    test::BackupLogs logs(&backup_pane, &file_pane, clock, &console);
    FileSystem& fs = dry ? static_cast<FileSystem&>(dry_) : recorder_;
    const BackupResults results = RunBackup(fs, clock, options, logs);
    return {test::WithoutStamps(test::PaneLines(backup_pane.Text())),
            test::PaneLines(file_pane.Text()), results};
  }

  std::string Src(const std::string& p) { return dir_ / ("src/" + p); }
  std::string Dst(const std::string& p) { return dir_ / ("dst/" + p); }

  /// A source with something of every kind for the target: new files (one in a new folder),
  /// updates (one whose copy's time is the source's cut to whole seconds, so that the run
  /// must know the target's step), and files already up to date.
  void MakeTrees() {
    test::WriteFile(Src("new.txt"), "new", Seconds(1000));
    test::WriteFile(Src("fresh/deeper/new2.txt"), "new 2", Seconds(1000));
    test::WriteFile(Src("changed.txt"), "changed", Seconds(2000));
    test::WriteFile(Dst("changed.txt"), "old", Seconds(1000));
    test::WriteFile(Src("sub/inner/changed2.txt"), "changed 2", Seconds(2000));
    test::WriteFile(Dst("sub/inner/changed2.txt"), "old 2", Seconds(1000));
    test::WriteFile(Src("fraction.txt"), "saved again", test::At(3000, 500000000));
    test::WriteFile(Dst("fraction.txt"), "saved before", Seconds(3000));
    test::WriteFile(Src("same.txt"), "same", Seconds(1000));
    test::WriteFile(Dst("same.txt"), "same", Seconds(1000));
    test::WriteFile(Src("edited.txt"), "source", Seconds(1000));
    test::WriteFile(Dst("edited.txt"), "edited in the target", Seconds(5000));
  }

  test::ScopedTempDir dir_;
  ChangeRecorder recorder_;
  DryRunFileSystem dry_;
};

TEST_F(DryRunTest, EveryChangeIsPretendedAndEveryQuestionAnswered) {
  test::WriteFile(dir_ / "a.txt", "content", Seconds(1000));
  test::MakeDirs(dir_ / "folder");
  const auto before = Snapshot(dir_.path());

  EXPECT_EQ(MakeDirResult::Created, dry_.MakeDirectory(dir_ / "new"));
  std::unique_ptr<PendingCopy> copy = dry_.PrepareCopy(dir_ / "a.txt", dir_ / "b.txt");
  ASSERT_NE(nullptr, copy);
  EXPECT_TRUE(copy->Flush());
  EXPECT_TRUE(copy->Publish());
  EXPECT_EQ(0u, copy->AttributesNotKept());
  copy.reset();
  EXPECT_TRUE(dry_.SetLastWriteTime(dir_ / "a.txt", Seconds(9000)));
  EXPECT_TRUE(dry_.RemoveFile(dir_ / "a.txt"));
  EXPECT_TRUE(dry_.RemoveDirectory(dir_ / "folder"));
  EXPECT_TRUE(dry_.Rename(dir_ / "a.txt", dir_ / "c.txt"));
  EXPECT_TRUE(dry_.WriteWholeFile(dir_ / "d.txt", "text"));
  EXPECT_TRUE(dry_.SyncVolume(dir_.path()));
  EXPECT_TRUE(dry_.SyncDirectory(dir_.path()));
  // A probe that would write is refused: the caller must ask instead.
  EXPECT_FALSE(dry_.CreateEmptyFile(dir_ / "probe"));
  // A folder pretended made takes what would go into it; what the real calls would refuse
  // is refused.
  EXPECT_EQ(MakeDirResult::AlreadyExists, dry_.MakeDirectory(dir_ / "new"));
  EXPECT_EQ(MakeDirResult::AlreadyExists, dry_.MakeDirectory(dir_ / "folder"));
  EXPECT_EQ(MakeDirResult::Created, dry_.MakeDirectory(dir_ / "new/inner"));
  EXPECT_NE(nullptr, dry_.PrepareCopy(dir_ / "a.txt", dir_ / "new/inner/a.txt"));
  EXPECT_EQ(MakeDirResult::Failed, dry_.MakeDirectory(dir_ / "missing/inner"));
  EXPECT_EQ(MakeDirResult::Failed, dry_.MakeDirectory(dir_ / "a.txt/inner"));
  EXPECT_NE(0u, dry_.LastErrorCode());
  EXPECT_EQ(nullptr, dry_.PrepareCopy(dir_ / "a.txt", dir_ / "a.txt/inner"));
  EXPECT_EQ(nullptr, dry_.PrepareCopy(dir_ / "a.txt", dir_ / "missing/a.txt"));
  EXPECT_EQ(nullptr, dry_.PrepareCopy(dir_ / "gone.txt", dir_ / "b.txt"));

  EXPECT_EQ(before, Snapshot(dir_.path()));
  EXPECT_EQ(Lines{}, recorder_.Changes());

  // Questions reach the real file system.
  EXPECT_EQ(PathKind::File, dry_.Probe(dir_ / "a.txt"));
  EXPECT_EQ(Seconds(1000), dry_.LastWriteTime(dir_ / "a.txt"));
  EXPECT_EQ(PathKind::Missing, dry_.Probe(dir_ / "new"));
  DirListing listing;
  ASSERT_TRUE(dry_.ListDirectory(dir_.path(), &listing));
  EXPECT_EQ(2u, listing.entries.size());
  EXPECT_TRUE(dry_.CheckCopyTarget(dir_ / "a.txt"));
  EXPECT_FALSE(dry_.CheckCopyTarget(dir_ / "folder"));
  EXPECT_EQ(0, recorder_.Descriptions());
  dry_.DescribeVolume(dir_.path());
  EXPECT_EQ(1, recorder_.Descriptions());
}

TEST_F(DryRunTest, ADryRunWritesNothingAndLogsWhatTheRealRunThenDoes) {
  MakeTrees();
  const auto before = Snapshot(dir_.path());
  const Run dry = RunOnce(true, false);
  EXPECT_EQ(before, Snapshot(dir_.path()));
  EXPECT_EQ(Lines{}, recorder_.Changes());
  EXPECT_EQ(1, recorder_.Descriptions());  // the step of the target's volume, once

  const Run real = RunOnce(false, false);
  ASSERT_FALSE(dry.backupLog.empty());
  EXPECT_EQ("Dry run: nothing will be written.", dry.backupLog.front());
  EXPECT_EQ("Starting backup...", dry.backupLog[1]);
  EXPECT_EQ("Dry run: nothing was written.", dry.backupLog.back());
  EXPECT_EQ(real.backupLog, WithoutDryRunLines(dry.backupLog));
  EXPECT_EQ(real.fileLog, dry.fileLog);
  EXPECT_EQ(real.results.counters.SummaryText(), dry.results.counters.SummaryText());
  EXPECT_EQ(
      "Time-based incremental backup completed: 2 copied, 3 updated, 2 skipped, 0 failed, 0 "
      "time-versioned.",
      real.results.counters.SummaryText());
  // What the dry run announced is what the real run did.
  EXPECT_EQ("new 2", test::ReadFile(Dst("fresh/deeper/new2.txt")));
  EXPECT_EQ("saved again", test::ReadFile(Dst("fraction.txt")));
  EXPECT_EQ("edited in the target", test::ReadFile(Dst("edited.txt")));
}

TEST_F(DryRunTest, ADryRunWithVersioningReportsTheVersionsItWouldKeepAndMakesNoFolder) {
  MakeTrees();
  const auto before = Snapshot(dir_.path());
  const Run dry = RunOnce(true, true);
  EXPECT_EQ(before, Snapshot(dir_.path()));
  EXPECT_EQ(Lines{}, recorder_.Changes());
  const std::string version_dir = Dst("backup_20250131_080000");
  EXPECT_EQ(version_dir, dry.results.versionDir);
  EXPECT_EQ(3, dry.results.counters.timeVersioned);
  const Lines& log = dry.backupLog;
  EXPECT_NE(log.end(),
            std::find(log.begin(), log.end(), "Time version directory created: " + version_dir));
  EXPECT_NE(log.end(),
            std::find(log.begin(), log.end(),
                      "Old version saved to time directory: " + Native("sub/inner/changed2.txt")));
  EXPECT_NE(log.end(), std::find(log.begin(), log.end(),
                                 "=== Time version location: " + version_dir + " ==="));
  EXPECT_FALSE(test::Exists(version_dir));

  const Run real = RunOnce(false, true);
  EXPECT_EQ(real.backupLog, WithoutDryRunLines(dry.backupLog));
  EXPECT_EQ(real.fileLog, dry.fileLog);
  EXPECT_EQ("old 2", test::ReadFile(version_dir + Native("/sub/inner/changed2.txt")));
  EXPECT_EQ("saved before", test::ReadFile(version_dir + Native("/fraction.txt")));
}

TEST_F(DryRunTest, AFirstDryRunIntoAnEmptyTargetLearnsItsVolumeWithoutAProbeFile) {
  // Names without letters tell nothing of case: a real run would write a probe file here.
  test::WriteFile(Src("a.txt"), "a", Seconds(1000));
  test::WriteFile(Src("B.txt"), "b", Seconds(1000));
  test::MakeDirs(dir_ / "2025/01");
  const auto before = Snapshot(dir_.path());
  const Run dry = RunOnce(true, true, "2025/01");
  EXPECT_EQ(before, Snapshot(dir_.path()));
  EXPECT_EQ(Lines{}, recorder_.Changes());
  EXPECT_EQ(2, dry.results.counters.copied);
  EXPECT_EQ(1, recorder_.Descriptions());  // whether the volume folds case

  const Run real = RunOnce(false, true, "2025/01");
  EXPECT_EQ(real.backupLog, WithoutDryRunLines(dry.backupLog));
  const Lines changes = recorder_.Changes();
  EXPECT_NE(changes.end(), std::find_if(changes.begin(), changes.end(), [](const auto& c) {
              return c.rfind("create ", 0) == 0;
            }));  // the real run probed by writing
}

TEST_F(DryRunTest, WhatTheTargetCannotTakeFailsInTheDryRunAsInTheRealOne) {
  // A file where a folder must go, and a folder where a file must go: both runs fail them
  // alike, with the same codes, and copy the rest.
  test::WriteFile(Src("sub/a.txt"), "a", Seconds(1000));
  test::WriteFile(Dst("sub"), "a file in the folder's place", Seconds(500));
  test::WriteFile(Src("deep/er/b.txt"), "b", Seconds(1000));
  test::WriteFile(Dst("deep"), "another", Seconds(500));
  test::WriteFile(Src("c.txt"), "c", Seconds(1000));
  test::MakeDirs(Dst("c.txt/inside"));
  test::WriteFile(Src("fine.txt"), "fine", Seconds(1000));
  const auto before = Snapshot(dir_.path());
  const Run dry = RunOnce(true, false);
  EXPECT_EQ(before, Snapshot(dir_.path()));
  EXPECT_EQ(Lines{}, recorder_.Changes());
  const Run real = RunOnce(false, false);
  EXPECT_EQ(real.backupLog, WithoutDryRunLines(dry.backupLog));
  EXPECT_EQ(real.fileLog, dry.fileLog);
  EXPECT_EQ(3, real.results.counters.failed);
  EXPECT_EQ(1, real.results.counters.copied);
}

TEST_F(DryRunTest, TheVolumeProbesAskInsteadOfWritingWhenTheyMayNot) {
  test::MakeDirs(dir_ / "empty");
  TargetVolumes volumes(recorder_, false);
  const TimeStep native = ProbeTimeStep(test::RealFs(), dir_.path());
  recorder_.Clear();
  EXPECT_EQ(native, volumes.StepOf(1, dir_ / "empty"));
  EXPECT_EQ(native, volumes.StepOf(1, dir_ / "empty"));  // asked once a volume
  EXPECT_EQ(kPathSeparator == '\\', ProbeCaseFolding(recorder_, dir_ / "empty", false));
  EXPECT_EQ(Lines{}, recorder_.Changes());
  EXPECT_EQ(2, recorder_.Descriptions());
  EXPECT_TRUE(test::ListTree(dir_.path()).empty());
}

/// The real file system as an unprivileged user finds it: the files named cannot be read and
/// the folders named cannot be written, and every call that would read or write them, or ask
/// whether it may, is refused with EACCES (13).
class Permissions : public test::ForwardingFileSystem {
 public:
  std::set<std::string> unreadable, readOnly;

  PathInfo Stat(const std::string& path) override {
    refused_ = false;
    return real_.Stat(path);
  }
  MakeDirResult MakeDirectory(const std::string& path) override {
    // An existing name is found before the permission to add one is asked for.
    if (real_.Probe(path) == PathKind::Missing && readOnly.count(ParentPath(path)) != 0)
      return Refuse(), MakeDirResult::Failed;
    const MakeDirResult result = real_.MakeDirectory(path);
    if (result == MakeDirResult::Created) readOnly.erase(path);  // the run's own folder
    return result;
  }
  std::unique_ptr<PendingCopy> PrepareCopy(const std::string& from,
                                           const std::string& to) override {
    if (unreadable.count(from) != 0 || readOnly.count(ParentPath(to)) != 0)
      return Refuse(), nullptr;
    return real_.PrepareCopy(from, to);
  }
  bool CheckCopySource(const std::string& from) override {
    refused_ = false;
    return unreadable.count(from) == 0 ? real_.CheckCopySource(from) : Refuse();
  }
  bool CheckMayCreateIn(const std::string& path) override {
    refused_ = false;
    return readOnly.count(path) == 0 ? real_.CheckMayCreateIn(path) : Refuse();
  }
  uint32_t LastErrorCode() override { return refused_ ? 13 : real_.LastErrorCode(); }

 private:
  bool Refuse() {
    refused_ = true;
    return false;
  }
  static thread_local bool refused_;
};

thread_local bool Permissions::refused_ = false;

class DryRunPermissionsTest : public ::testing::Test {
 protected:
  struct Run {
    Lines log;
    BackupResults results;
  };

  Run RunOnce(bool dry) {
    MemoryLogPane backup_pane, file_pane;
    test::FakeClock clock;  // each run at the same moment: the same version folder name
    std::ostringstream console;
    BackupOptions options = BackupOptions::Of(dir_ / "src", dir_ / "dst", true);
    options.dryRun = dry;
    options.tuning.fileThreads = 1;
    test::BackupLogs logs(&backup_pane, &file_pane, clock, &console);
    FileSystem& fs = dry ? static_cast<FileSystem&>(dry_) : permissions_;
    const BackupResults results = RunBackup(fs, clock, options, logs);
    return {test::WithoutStamps(test::PaneLines(backup_pane.Text())), results};
  }

  /// A source with a file that cannot be read, files for a folder that cannot be written
  /// and for one that must be made in it, and updates, one over a copy that cannot be read
  /// (so its old version cannot be kept).
  void MakeTrees() {
    test::WriteFile(Src("secret.txt"), "secret", Seconds(2000));
    test::WriteFile(Src("ro/a.txt"), "a", Seconds(2000));
    test::WriteFile(Src("ro/inner/b.txt"), "b", Seconds(2000));
    test::WriteFile(Src("ok/c.txt"), "c", Seconds(2000));
    test::WriteFile(Src("old.txt"), "new", Seconds(2000));
    test::WriteFile(Dst("old.txt"), "old, unreadable", Seconds(1000));
    test::WriteFile(Src("upd.txt"), "new", Seconds(2000));
    test::WriteFile(Dst("upd.txt"), "old", Seconds(1000));
    test::MakeDirs(Dst("ro"));
    permissions_.unreadable = {Src("secret.txt"), Dst("old.txt")};
    permissions_.readOnly = {Dst("ro")};
  }

  /// The dry run, then the real one: the same lines between the dry run's own first and last,
  /// the same counts, and nothing written by the dry run.
  Run CompareRuns() {
    const auto before = Snapshot(dir_.path());
    const Run dry = RunOnce(true);
    EXPECT_EQ(before, Snapshot(dir_.path()));
    Run real = RunOnce(false);
    // A dry run keeps no record, so it cannot tell whether one could be written.
    std::erase_if(real.log, [](const std::string& line) {
      return line.rfind("The record of the runs could not be written: ", 0) == 0;
    });
    EXPECT_EQ(real.log, WithoutDryRunLines(dry.log));
    EXPECT_EQ(real.results.counters.SummaryText(), dry.results.counters.SummaryText());
    EXPECT_EQ(real.results.AnyFailed(), dry.results.AnyFailed());
    return real;
  }

  std::string Src(const std::string& p) { return dir_ / ("src/" + p); }
  std::string Dst(const std::string& p) { return dir_ / ("dst/" + p); }
  bool Logged(const Run& run, const std::string& line) {
    return std::find(run.log.begin(), run.log.end(), line) != run.log.end();
  }

  test::ScopedTempDir dir_;
  Permissions permissions_;
  DryRunFileSystem dry_{permissions_};
};

TEST_F(DryRunPermissionsTest, WhatCannotBeReadOrWrittenFailsInTheDryRunAsInTheRealOne) {
  MakeTrees();
  const Run real = CompareRuns();
  EXPECT_TRUE(Logged(real, "CopyFile failed: " + Src("secret.txt") + " -> " + Dst("secret.txt") +
                               " " + ErrorCodeText(13)));
  EXPECT_TRUE(Logged(real, "CopyFile failed: " + Src("ro/a.txt") + " -> " + Dst("ro/a.txt") + " " +
                               ErrorCodeText(13)));
  EXPECT_TRUE(Logged(real, "Failed to create directory: " + Dst("ro/inner")));
  EXPECT_TRUE(Logged(real, "[TIME VERSION FAILED] " + Dst("old.txt")));
  // old.txt is not updated: its old copy could not be kept.
  EXPECT_EQ(
      "Time-based incremental backup completed: 1 copied, 1 updated, 0 skipped, 4 failed, 1 "
      "time-versioned.",
      real.results.counters.SummaryText());
}

TEST_F(DryRunPermissionsTest, ATargetThatCannotBeWrittenFailsItsVersionFolderInBoth) {
  MakeTrees();
  permissions_.readOnly.insert(dir_ / "dst");
  const Run real = CompareRuns();
  EXPECT_TRUE(Logged(real, "Failed to create time version directory: " +
                               Dst("backup_20250131_080000") + " " + ErrorCodeText(13)));
  EXPECT_EQ(
      "Time-based incremental backup completed: 0 copied, 0 updated, 0 skipped, 6 failed, 0 "
      "time-versioned.",
      real.results.counters.SummaryText());
}

TEST_F(DryRunPermissionsTest, AFolderTheDryRunWouldMakeIsNotAskedAbout) {
  // Nothing above says no: the target and everything in it would be made by the run itself.
  test::WriteFile(Src("a/b/c.txt"), "c", Seconds(2000));
  permissions_.readOnly = {Dst("a"), Dst("a/b")};  // were they there, they could not be written
  const Run real = CompareRuns();
  EXPECT_EQ(1, real.results.counters.copied);
}

}  // namespace
}  // namespace qs
