// The restore and versions dialogs over real backups in temporary folders: each run's moment
// restores the source as it stood after that run, the tree shows what a restore would give,
// a destination a restore may not write is refused with the engine's sentence, nothing
// written; a file's copies are listed and one of them restored beside what is there.
#include "app/restore_dialogs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <map>

#include "app/app_state.h"
#include "app/restore_dialog.h"
#include "app/versions_dialog.h"
#include "engine/backup_run.h"
#include "log/log_time.h"
#include "tests/support/app_fixture.h"
#include "tests/support/backup_logs.h"

namespace qs::test {
namespace {

using Files = std::map<std::string, std::string>;

FileTime LocalMoment(int hour, int minute) {
  int64_t seconds = 0;
  EXPECT_TRUE(FromLocalTime({2026, 12, 1, hour, minute, 0}, &seconds));
  return {seconds, 0};
}

Files TreeOf(const std::string& root) {
  Files files;
  for (const std::string& name : ListTree(root)) files[name] = ReadFile(root + "/" + name);
  return files;
}

/// Only the files below `folder` ('/' separators), as a restore of that one folder gives.
Files Below(const Files& files, const std::string& folder) {
  Files below;
  for (const auto& [name, content] : files)
    if (name.rfind(folder + "/", 0) == 0) below[name] = content;
  return below;
}

/// The real file system, whose listings wait while `hold` is set (kLongestWait at most): a
/// slow disk.
class GatedFileSystem : public ForwardingFileSystem {
 public:
  bool ListDirectory(const std::string& path, DirListing* listing) override {
    // Not for ever: a listing on the test's own thread would otherwise never end.
    if (!WaitUntil([this] { return !hold; })) hold = false;
    return ForwardingFileSystem::ListDirectory(path, listing);
  }
  std::atomic<bool> hold{false};
};

/// The last line, "" when there is none.
std::string Last(const std::vector<std::string>& lines) {
  return lines.empty() ? "" : lines.back();
}

class RestoreDialogTest : public AppFixture {
 protected:
  void SetUp() override {
    UseFileSystem(gate_);
    Create();
    Kept(&g_hSourceEdit).Type(dir_ / "src");
    Kept(&g_hTargetEdit).Type(dir_ / "tgt");
  }

  void Write(const std::string& name, const std::string& content, int hour, int minute) {
    WriteFile(dir_ / ("src/" + name), content, LocalMoment(hour, minute));
  }

  /// One backup with versioning on, its clock at `hour`:00; then the source as it stands.
  void Backup(int hour) {
    FakeClock clock;
    clock.SetWallTicks(LocalMoment(hour, 0).seconds * 10000000 + 2000000);
    std::ostringstream console;
    BackupOptions request = BackupOptions::Of(dir_ / "src", dir_ / "tgt", true);
    request.tuning.fileThreads = 1;
    MemoryLogPane backup_pane, file_pane;
    test::BackupLogs logs(&backup_pane, &file_pane, clock, &console);
    RunBackup(fs_, clock, request, logs);
    snapshots_.push_back(TreeOf(dir_ / "src"));
  }

  /// Three runs: 10:00 the first tree; 11:00 a.txt changed, b.txt deleted, a new file that
  /// fails to copy; 12:00 photos renamed to pictures, notes.txt changed.
  void ThreeRuns() {
    Write("docs/a.txt", "a1", 9, 0);
    Write("docs/b.txt", "b1", 9, 0);
    Write("photos/p.jpg", "p1", 9, 0);
    Write("notes.txt", "n1", 9, 0);
    Backup(10);
    Write("docs/a.txt", "a2 longer", 10, 30);
    std::filesystem::remove(dir_ / "src/docs/b.txt");
    Write("extra/fail.txt", "f", 10, 30);
    fs_.failCopyTo = [](const std::string& to) { return to.find("fail.txt") != std::string::npos; };
    Backup(11);
    fs_.failCopyTo = nullptr;
    // Not in the backup as of that run: its copy failed.
    snapshots_.back().erase("extra/fail.txt");
    std::filesystem::rename(dir_ / "src/photos", dir_ / "src/pictures");
    Write("notes.txt", "n2", 11, 30);
    Backup(12);
  }

  MemoryDialog& Opened() {
    OpenRestoreDialog(*app_);
    EXPECT_TRUE(WaitForThreadsToEnd());
    return *window_.dialogs.back();
  }

  void ChooseMoment(MemoryDialog& dialog, int index) {
    dialog.WithId(kRestoreMoments).SelectItem(index);
    dialog.Click(kRestoreMoments);
    EXPECT_TRUE(WaitForThreadsToEnd());
  }

  /// Types the destination and presses Restore; waits for the worker.
  void RestoreInto(MemoryDialog& dialog, const std::string& dest) {
    dialog.controls.at(5)->Type(dest);
    dialog.Click(kRestoreStart);
    EXPECT_TRUE(WaitForThreadsToEnd());
  }

  MemoryControl& Label(MemoryDialog& dialog) { return *dialog.controls.at(7); }

  GatedFileSystem gate_;
  FaultyFileSystem fs_;
  std::vector<Files> snapshots_;
};

TEST_F(RestoreDialogTest, TheMomentsAreLatestThenEachRunNewestFirstWithItsOutcome) {
  ThreeRuns();
  MemoryDialog& dialog = Opened();
  EXPECT_TRUE(dialog.shown);
  const std::vector<std::string> moments = dialog.WithId(kRestoreMoments).Items();
  ASSERT_EQ(moments.size(), 4u);
  EXPECT_EQ(moments[0], "Latest");
  EXPECT_EQ(moments[1], "2026-12-01 12:00:00 \u2014 no failures");
  EXPECT_EQ(moments[2], "2026-12-01 11:00:00 \u2014 1 failed");
  EXPECT_EQ(moments[3], "2026-12-01 10:00:00 \u2014 no failures");
  // Opened again while shown: the same dialog, as it is.
  OpenRestoreDialog(*app_);
  EXPECT_EQ(window_.dialogs.size(), 1u);
}

TEST_F(RestoreDialogTest, TheDialogShowsAtOnceAndTheWorkerFillsItIn) {
  ThreeRuns();
  gate_.hold = true;
  OpenRestoreDialog(*app_);
  MemoryDialog& dialog = *window_.dialogs.back();
  EXPECT_TRUE(dialog.shown);
  EXPECT_EQ(dialog.WithId(kRestoreMoments).Items(), std::vector<std::string>{"Latest"});
  EXPECT_EQ(ThreadsAlive(), 1);
  gate_.hold = false;
  EXPECT_TRUE(WaitForThreadsToEnd());
  EXPECT_EQ(dialog.WithId(kRestoreMoments).Items().size(), 4u);
  EXPECT_EQ(dialog.WithId(kRestoreMoments).SelectedItem(), 0);
}

TEST_F(RestoreDialogTest, TheTreeOfEachMomentListsWhatTheBackupHeldThen) {
  ThreeRuns();
  MemoryDialog& dialog = Opened();
  MemoryControl& tree = *dialog.controls.at(3);
  // The moments newest first: the run at `run` is the list's line 3 - run.
  for (int run = 0; run < 3; ++run) {
    ChooseMoment(dialog, 3 - run);
    std::vector<std::string> held;
    for (const auto& [name, content] : snapshots_[run]) held.push_back(Native(name));
    EXPECT_EQ(tree.Items(), held) << run;
  }
  EXPECT_EQ(tree.Items().size(), 4u);
  ChooseMoment(dialog, 2);
  EXPECT_EQ(tree.Items(),
            (std::vector<std::string>{Native("docs/a.txt"), "notes.txt", Native("photos/p.jpg")}));
}

TEST_F(RestoreDialogTest, EachEarlierRunRestoresTheSourceAsItStoodThen) {
  ThreeRuns();
  MemoryDialog& dialog = Opened();
  for (int run = 0; run < 3; ++run) {
    ChooseMoment(dialog, 3 - run);
    const std::string dest = dir_ / ("out" + std::to_string(run));
    RestoreInto(dialog, dest);
    EXPECT_EQ(TreeOf(dest), snapshots_[run]) << run;
    EXPECT_FALSE(Label(dialog).Alert()) << Label(dialog).GetText(1000);
  }
  const std::vector<std::string> lines = BackupLogLines();
  EXPECT_NE(IndexOf(lines, "Restore completed: 3 restored, 0 left out, 0 failed."), -1);
  EXPECT_NE(IndexOf(FileLogLines(), "Restored: " + Native("pictures/p.jpg") +
                                        " (from the "
                                        "current copy)"),
            -1);
}

TEST_F(RestoreDialogTest, TickingOneFolderRestoresOnlyIt) {
  ThreeRuns();
  MemoryDialog& dialog = Opened();
  ChooseMoment(dialog, 3);
  dialog.controls.at(3)->Tick("docs");
  RestoreInto(dialog, dir_ / "docs_only");
  EXPECT_EQ(TreeOf(dir_ / "docs_only"), Below(snapshots_[0], "docs"));
  EXPECT_EQ(TreeOf(dir_ / "docs_only").size(), 2u);
}

TEST_F(RestoreDialogTest, ADestinationARestoreMayNotWriteIsRefusedWithItsSentence) {
  ThreeRuns();
  WriteFile(dir_ / "full/x", "x");
  MakeDirs(dir_ / "empty_src");
  const std::map<std::string, std::string> refusals = {
      {dir_ / "full", "The destination folder is not empty: " + dir_ / "full"},
      {dir_ / "tgt/inside",
       "The destination folder lies inside the target, which a restore never writes"},
      {dir_ / "src",
       "The destination folder lies inside the source folder, which a restore never writes over"},
      {dir_ / "src/new",
       "The destination folder lies inside the source folder, which a restore never writes over"}};
  const Files target = TreeOf(dir_ / "tgt");
  MemoryDialog& dialog = Opened();
  for (const auto& [dest, why] : refusals) {
    RestoreInto(dialog, dest);
    EXPECT_EQ(Label(dialog).GetText(1000), why);
    EXPECT_TRUE(Label(dialog).Alert());
    EXPECT_EQ(Last(BackupLogLines()), why);
  }
  EXPECT_EQ(TreeOf(dir_ / "tgt"), target);
  EXPECT_EQ(TreeOf(dir_ / "src"), snapshots_.back());
  EXPECT_EQ(TreeOf(dir_ / "full"), (Files{{"x", "x"}}));
  EXPECT_FALSE(Exists(dir_ / "tgt/inside"));
}

TEST_F(RestoreDialogTest, WithoutARecordTheVersionFoldersDatesAreTheMoments) {
  ThreeRuns();
  std::filesystem::remove_all(dir_ / "tgt/.quillstone");
  MemoryDialog& dialog = Opened();
  EXPECT_EQ(dialog.WithId(kRestoreMoments).Items(),
            (std::vector<std::string>{
                "Latest", "2026-12-01 12:00:00 \u2014 version folder backup_20261201_120000",
                "2026-12-01 11:00:00 \u2014 version folder backup_20261201_110000",
                "2026-12-01 10:00:00 \u2014 version folder backup_20261201_100000"}));
  // The tree is what the restore by those dates gives, moment by moment.
  for (int index = 0; index < 4; ++index) {
    ChooseMoment(dialog, index);
    const std::string dest = dir_ / ("by_dates" + std::to_string(index));
    RestoreInto(dialog, dest);
    std::vector<std::string> restored;
    for (const auto& [name, content] : TreeOf(dest)) restored.push_back(Native(name));
    EXPECT_EQ(dialog.controls.at(3)->Items(), restored) << index;
    EXPECT_FALSE(restored.empty());
  }
  EXPECT_EQ(ReadFile(dir_ / "by_dates2/docs/a.txt"), "a2 longer");
  EXPECT_EQ(ReadFile(dir_ / "by_dates2/notes.txt"), "n1");
}

TEST_F(RestoreDialogTest, ATargetAnotherOperationWritesToIsNotRestoredFrom) {
  ThreeRuns();
  MemoryDialog& dialog = Opened();
  std::string holder;
  const auto prune = app_->claims.Claim(dir_ / "tgt", "a prune", &holder);
  ASSERT_NE(prune, nullptr);
  RestoreInto(dialog, dir_ / "out");
  const std::string why = "Not started: a prune is writing to " + dir_ / "tgt" + ".";
  EXPECT_EQ(Label(dialog).GetText(1000), why);
  EXPECT_EQ(Last(BackupLogLines()), why);
  EXPECT_FALSE(Exists(dir_ / "out"));
  EXPECT_TRUE(dialog.WithId(kRestoreStart).Enabled());
}

class VersionsDialogTest : public RestoreDialogTest {
 protected:
  /// docs/a.txt backed up at 10:00, 11:00 and 12:00, a longer text each time.
  void ThreeCopies() {
    Write("docs/a.txt", "a1", 9, 0);
    Backup(10);
    Write("docs/a.txt", "a2 longer", 10, 30);
    Backup(11);
    Write("docs/a.txt", "a3 longer still", 11, 30);
    Backup(12);
  }
  MemoryDialog& Opened() {
    OpenVersionsDialog(*app_);
    return *window_.dialogs.back();
  }
  void Choose(MemoryDialog& dialog, const std::string& file) {
    window_.chooserAnswers.push_back(file);
    dialog.Click(kVersionsChooseFile);
    EXPECT_TRUE(WaitForThreadsToEnd());
  }
  void RestoreTo(MemoryDialog& dialog, const std::string& folder) {
    window_.chooserAnswers.push_back(folder);
    dialog.Click(kVersionsRestoreTo);
    EXPECT_TRUE(WaitForThreadsToEnd());
  }
  MemoryControl& Label(MemoryDialog& dialog) { return *dialog.controls.at(4); }
};

TEST_F(VersionsDialogTest, AFilesCopiesAreListedNewestFirstWithTimesAndSizes) {
  ThreeCopies();
  MemoryDialog& dialog = Opened();
  Choose(dialog, dir_ / "src/docs/a.txt");
  EXPECT_EQ(window_.chooserStarts.back(), dir_ / "src");
  const std::string v11 = "backup_20261201_110000", v12 = "backup_20261201_120000";
  EXPECT_EQ(dialog.WithId(kVersionsList).Items(),
            (std::vector<std::string>{
                FileTimeText(LocalMoment(11, 30)) +
                    "  15 bytes  current, first backed up 2026-12-01 12:00:00",
                FileTimeText(LocalMoment(10, 30)) + "  9 bytes  " + v12 +
                    ", first backed up 2026-12-01 11:00:00, replaced 2026-12-01 12:00:00",
                FileTimeText(LocalMoment(9, 0)) + "  2 bytes  " + v11 +
                    ", first backed up 2026-12-01 10:00:00, replaced 2026-12-01 11:00:00"}));
  EXPECT_EQ(dialog.controls.at(1)->GetText(1000), dir_ / "src/docs/a.txt");
}

TEST_F(VersionsDialogTest, TheSelectedCopyIsRestoredBesideWhatIsThereNeverOverIt) {
  ThreeCopies();
  MemoryDialog& dialog = Opened();
  Choose(dialog, dir_ / "src/docs/a.txt");
  dialog.WithId(kVersionsList).SelectItem(1);
  MakeDirs(dir_ / "out");
  RestoreTo(dialog, dir_ / "out");
  EXPECT_EQ(ReadFile(dir_ / "out/a.txt"), "a2 longer");
  EXPECT_FALSE(Label(dialog).Alert());
  EXPECT_EQ(Last(BackupLogLines()),
            "Restored: " + Native("docs/a.txt") + " (from backup_20261201_120000)");
  // A file of that name is there now: refused, and left as it is.
  dialog.WithId(kVersionsList).SelectItem(2);
  RestoreTo(dialog, dir_ / "out");
  const std::string why =
      "The destination folder already has a file named a.txt, which a restore never writes "
      "over: " +
      dir_ / "out/a.txt";
  EXPECT_EQ(Label(dialog).GetText(1000), why);
  EXPECT_TRUE(Label(dialog).Alert());
  EXPECT_EQ(Last(BackupLogLines()), why);
  EXPECT_EQ(ReadFile(dir_ / "out/a.txt"), "a2 longer");
}

TEST_F(VersionsDialogTest, AFileOutsideTheSourceIsRefusedAndOpenGivesTheCopysFile) {
  ThreeCopies();
  WriteFile(dir_ / "elsewhere/x.txt", "x");
  MemoryDialog& dialog = Opened();
  Choose(dialog, dir_ / "elsewhere/x.txt");
  EXPECT_EQ(Label(dialog).GetText(1000), "The file must lie in the source folder " + dir_ / "src" +
                                             ": " + dir_ / "elsewhere/x.txt" + " does not.");
  EXPECT_TRUE(dialog.WithId(kVersionsList).Items().empty());
  Choose(dialog, dir_ / "src/docs/a.txt");
  std::vector<std::string> opened;
  app_->openWithDesktop = [&](const std::string& path, std::string*) {
    opened.push_back(path);
    return true;
  };
  dialog.WithId(kVersionsList).SelectItem(2);
  dialog.Click(kVersionsOpen);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(ReadFile(opened[0]), "a1");
}

}  // namespace
}  // namespace qs::test
