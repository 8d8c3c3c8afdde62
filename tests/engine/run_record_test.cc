// Real runs over temporary trees, read back through the record: what each outcome leaves in
// the listing, when the listing is whole, and the runs that keep no fact.
#include "engine/run_record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>

#include "engine/backup_run.h"
#include "engine/dry_run_file_system.h"
#include "log/operation_lines.h"
#include "os/error_text.h"
#include "tests/support/backup_logs.h"
#include "tests/support/memory_log_pane.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::Seconds;
using Lines = std::vector<std::string>;

class RunRecordTest : public ::testing::Test {
 protected:
  BackupResults Run(bool versioning, const std::string& exclusion = "", bool dry = false) {
    BackupOptions options = BackupOptions::Of(dir_ / "src", dir_ / "dst", versioning);
    std::string why;
    if (!exclusion.empty()) {
      EXPECT_TRUE(options.exclusions.Add(exclusion, &why)) << why;
    }
    options.dryRun = dry;
    DryRunFileSystem dry_fs(fs_);
    MemoryLogPane pane;
    test::BackupLogs logs(&pane, nullptr, clock_, &console_);
    FileSystem& fs = dry ? static_cast<FileSystem&>(dry_fs) : fs_;
    const BackupResults results = RunBackup(fs, clock_, options, logs);
    log_ = test::WithoutStamps(test::PaneLines(pane.Text()));
    clock_.Advance(3600 * test::kSecondNanos);  // the next run gets a version folder of its own
    return results;
  }
  RecordStore Record() { return RecordStore::Open(fs_, dir_ / "dst/"); }
  Listing Latest() { return Record().history().Latest(); }
  std::string Src(const std::string& p) { return dir_ / ("src/" + p); }
  std::string Dst(const std::string& p) { return dir_ / ("dst/" + p); }
  size_t LinesStartingWith(const std::string& start) {
    return std::count_if(log_.begin(), log_.end(),
                         [&](const std::string& line) { return line.rfind(start, 0) == 0; });
  }

  static RecordedFile Hashed(const std::string& path, const std::string& bytes, FileTime time) {
    return {path, bytes.size(), time, true, HashOf(bytes)};
  }

  test::ScopedTempDir dir_;
  test::FaultyFileSystem fs_;
  test::FakeClock clock_;
  std::ostringstream console_;
  Lines log_;
};

TEST_F(RunRecordTest, EveryCopyIsRecordedWithItsHashAndAnUnchangedRerunChangesNothing) {
  test::WriteFile(Src("a.txt"), "alpha", Seconds(1000));
  test::WriteFile(Src("sub/b.txt"), std::string(300000, 'b'), Seconds(1100));
  test::WriteFile(Src("empty"), "", Seconds(1200));
  Run(false);
  EXPECT_EQ(0u, LinesStartingWith("The record"));
  const Listing first = {Hashed("a.txt", "alpha", Seconds(1000)),
                         Hashed("empty", "", Seconds(1200)),
                         Hashed("sub/b.txt", std::string(300000, 'b'), Seconds(1100))};
  EXPECT_EQ(first, Latest());
  Run(false);
  const RecordStore store = Record();
  const std::vector<RunFact>& runs = store.history().runs();
  ASSERT_EQ(2u, runs.size());
  EXPECT_TRUE(runs[0].fullListing);
  EXPECT_EQ(3, runs[0].copied);
  EXPECT_EQ(Src(""), runs[0].sourceRoot);
  EXPECT_FALSE(runs[1].fullListing);
  EXPECT_EQ(3, runs[1].skipped);
  EXPECT_EQ(2u, runs[1].number);
  EXPECT_LE(runs[0].startTicks, runs[0].endTicks);
  EXPECT_LT(runs[0].endTicks, runs[1].startTicks);
  EXPECT_EQ(first, store.history().Latest());  // the skipped files kept their hashes
  EXPECT_EQ(0u, store.history().ChangesSinceFullListing());
}

TEST_F(RunRecordTest, AnUpdateSavesTheOldCopysStateInTheVersionFolder) {
  test::WriteFile(Src("a.txt"), "old", Seconds(1000));
  test::WriteFile(Src("b.txt"), "b", Seconds(1000));
  Run(true);
  test::WriteFile(Src("a.txt"), "newer", Seconds(2000));
  const BackupResults results = Run(true);
  ASSERT_EQ(1, results.counters.timeVersioned);
  const RecordStore store = Record();
  const RunFact& run = store.history().runs().back();
  EXPECT_EQ(results.versionDir.substr(results.versionDir.rfind(kPathSeparator) + 1),
            run.versionFolder);
  EXPECT_EQ(0, run.exitStatus);
  EXPECT_EQ(Hashed("a.txt", "newer", Seconds(2000)), *Find(store.history().Latest(), "a.txt"));
  const std::vector<RecordedCopy> states = store.history().HistoryOf("a.txt");
  ASSERT_EQ(2u, states.size());
  EXPECT_EQ(run.versionFolder, states[0].folder);  // the old bytes, kept in the version folder
  EXPECT_EQ(HashOf("old"), states[0].file.hash);
  EXPECT_TRUE(states[0].kept);
  EXPECT_EQ(HashOf("newer"), states[1].file.hash);
  EXPECT_EQ("", states[1].folder);
}

TEST_F(RunRecordTest, FailedExcludedAndDeletedFilesLeaveTheListingAsTheirCopiesStand) {
  test::WriteFile(Src("kept.txt"), "v1", Seconds(1000));
  test::WriteFile(Src("gone.txt"), "g", Seconds(1000));
  Run(false);
  test::WriteFile(Src("kept.txt"), "v2", Seconds(2000));
  test::WriteFile(Src("new.txt"), "n", Seconds(2000));
  test::WriteFile(Src("skip.log"), "x", Seconds(2000));
  std::filesystem::remove(Src("gone.txt"));
  fs_.failCopyTo = [this](const std::string& to) {
    return to == Dst("kept.txt") || to == Dst("new.txt");
  };
  const BackupResults results = Run(false, "*.log");
  ASSERT_EQ(2, results.counters.failed);
  const RecordStore store = Record();
  // The failed update keeps its old entry (the old copy is still there); the new file that
  // failed, the excluded one and the deleted one have none.
  EXPECT_EQ((Listing{Hashed("kept.txt", "v1", Seconds(1000))}), store.history().Latest());
  const RunFact& run = store.history().runs().back();
  EXPECT_EQ(1, run.exitStatus);
  EXPECT_EQ(2u, run.failedCount);
  EXPECT_EQ((Lines{"kept.txt", "new.txt"}), run.failedPaths);
}

TEST_F(RunRecordTest, AFolderThatCannotBeListedRemovesNothingFromTheListing) {
  test::WriteFile(Src("dir/a.txt"), "a", Seconds(1000));
  test::WriteFile(Src("b.txt"), "b", Seconds(1000));
  Run(false);
  fs_.failListDirectory = [this](const std::string& path) { return path == Src("dir/"); };
  Run(false);
  EXPECT_EQ(1u, LinesStartingWith("Cannot list directory: "));
  EXPECT_EQ(2u, Latest().size());
}

TEST_F(RunRecordTest, ADryRunKeepsNoRecordAndTheSourcesOwnRecordFolderIsNeverCopied) {
  test::WriteFile(Src("a.txt"), "a", Seconds(1000));
  test::WriteFile(Src(".quillstone/journal"), "the user's", Seconds(1000));
  test::WriteFile(Src("deep/.quillstone/x"), "x", Seconds(1000));
  Run(false, "", true);
  EXPECT_FALSE(test::Exists(Dst(".quillstone")));
  EXPECT_EQ(1u, LinesStartingWith("Left out, as the target keeps its record of the runs under "
                                  "that name: " +
                                  Src(".quillstone")));
  Run(false);
  EXPECT_EQ(1u, LinesStartingWith("Left out, as the target keeps its record of the runs under "
                                  "that name: " +
                                  Src(".quillstone")));
  EXPECT_EQ("x", test::ReadFile(Dst("deep/.quillstone/x")));  // only the top one is the record's
  const RecordStore store = Record();
  EXPECT_EQ(RecordStore::Found::kWhole, store.found());
  EXPECT_EQ(1u, store.history().runs().size());
  EXPECT_EQ(nullptr, Find(store.history().Latest(), ".quillstone/journal"));
  EXPECT_NE(nullptr, Find(store.history().Latest(), "deep/.quillstone/x"));
}

TEST_F(RunRecordTest, ARecordThatCannotBeWrittenIsOneLineAndTheBackupStillSucceeds) {
  test::WriteFile(Src("a.txt"), "a", Seconds(1000));
  fs_.failWriteOf = [this](const std::string& path) { return path == Dst(".quillstone/journal"); };
  fs_.code = 28;
  BackupResults results = Run(false);
  EXPECT_FALSE(results.AnyFailed());
  EXPECT_EQ(RecordNotKeptText(Dst(".quillstone/journal"), 28), log_[log_.size() - 3]);
  EXPECT_EQ("The record of the runs could not be written: " + Dst(".quillstone/journal") + " " +
                ErrorCodeText(28),
            log_[log_.size() - 3]);
  EXPECT_EQ("Backup operation completed.", log_.back());
  fs_.failWriteOf = nullptr;
  Run(false);
  // A volume that takes no append gets the journal written whole instead: only when that
  // fails too is the record not kept.
  fs_.failAppendOf = [this](const std::string& path) { return path == Dst(".quillstone/journal"); };
  fs_.failWriteOf = fs_.failAppendOf;
  test::WriteFile(Src("a.txt"), "a2", Seconds(2000));
  results = Run(false);
  EXPECT_FALSE(results.AnyFailed());
  EXPECT_EQ(1u, LinesStartingWith("The record of the runs could not be written: "));
  EXPECT_EQ("a2", test::ReadFile(Dst("a.txt")));
  EXPECT_EQ(1u, Record().history().runs().size());
}

TEST_F(RunRecordTest, ADamagedRecordIsSaidOnceAndTheNextRunMendsIt) {
  test::WriteFile(Src("a.txt"), "a", Seconds(1000));
  Run(false);
  Run(false);
  const std::string journal = test::ReadFile(Dst(".quillstone/journal"));
  test::WriteFile(Dst(".quillstone/journal"), journal.substr(0, journal.size() - 4));
  Run(false);
  EXPECT_EQ(1u, LinesStartingWith("The record of the runs has a damaged end, which is left out: " +
                                  Dst(".quillstone/journal")));
  const RecordStore store = Record();
  EXPECT_EQ(RecordStore::Found::kWhole, store.found());
  ASSERT_EQ(2u, store.history().runs().size());
  EXPECT_EQ(2u, store.history().runs().back().number);
  Run(false);
  EXPECT_EQ(0u, LinesStartingWith("The record"));
}

TEST_F(RunRecordTest, TheRecordsNoticeComesBeforeTheLinesOfTheScan) {
  test::WriteFile(Src("a.txt"), "a", Seconds(1000));
  Run(false);
  Run(false);
  const std::string journal = test::ReadFile(Dst(".quillstone/journal"));
  test::WriteFile(Dst(".quillstone/journal"), journal.substr(0, journal.size() - 4));
  // A folder of the source's own named as the record is a line of the scan.
  test::WriteFile(Src(".quillstone/x"), "x", Seconds(1000));
  Run(false);
  const auto line = [&](const std::string& start) {
    return std::find_if(log_.begin(), log_.end(),
                        [&](const std::string& l) { return l.rfind(start, 0) == 0; });
  };
  const auto notice = line("The record of the runs has a damaged end");
  const auto scanned = line("Left out, as the target keeps its record");
  ASSERT_NE(notice, log_.end());
  ASSERT_NE(scanned, log_.end());
  EXPECT_LT(notice, scanned);
}

TEST_F(RunRecordTest, ManyFoldersRerunWithEditsAndDeletionsListExactlyWhatIsThere) {
  // Enough files for the decisions to be shared among threads, the record told from each.
  std::map<std::string, std::string> tree;
  for (int folder = 0; folder < 12; ++folder)
    for (int file = 0; file < 40; ++file)
      tree["d" + std::to_string(folder) + "/f" + std::to_string(file)] =
          std::to_string(folder * 100 + file);
  for (const auto& [path, bytes] : tree) test::WriteFile(Src(path), bytes, Seconds(1000));
  Run(false);
  for (int folder = 0; folder < 12; folder += 3) {
    const std::string gone = "d" + std::to_string(folder) + "/f7";
    std::filesystem::remove(Src(gone));
    tree.erase(gone);
    const std::string edited = "d" + std::to_string(folder + 1) + "/f30";
    tree[edited] = "edited";
    test::WriteFile(Src(edited), "edited", Seconds(2000));
  }
  Run(false);
  Listing expected;
  for (const auto& [path, bytes] : tree)
    expected.push_back(Hashed(path, bytes, Seconds(bytes == "edited" ? 2000 : 1000)));
  EXPECT_EQ(expected, Latest());
  const RecordStore store = Record();
  EXPECT_EQ(store.history().runs().back().skipped, static_cast<int64_t>(tree.size()) - 4);
}

TEST_F(RunRecordTest, AJournalOfAnotherProgramIsLeftAlone) {
  test::WriteFile(Src("a.txt"), "a", Seconds(1000));
  test::WriteFile(Dst(".quillstone/journal"), "not ours");
  const BackupResults results = Run(false);
  EXPECT_FALSE(results.AnyFailed());
  EXPECT_EQ(1u, LinesStartingWith("The record's file was not written by Quillstone"));
  EXPECT_EQ("not ours", test::ReadFile(Dst(".quillstone/journal")));
  EXPECT_EQ("a", test::ReadFile(Dst("a.txt")));
}

TEST_F(RunRecordTest, TheListingIsWrittenWholeOnceTheChangesWouldOutgrowIt) {
  test::WriteFile(Src("a.txt"), "a", Seconds(1000));
  test::WriteFile(Src("b.txt"), "b", Seconds(1000));
  Run(false);
  for (int i = 1; i <= 4; ++i) {
    test::WriteFile(Src("a.txt"), "a" + std::to_string(i), Seconds(1000 + i));
    Run(false);
  }
  const RecordStore store = Record();
  const std::vector<RunFact>& runs = store.history().runs();
  ASSERT_EQ(5u, runs.size());
  // One change a run over a listing of two: the third change since a whole one outgrows it.
  EXPECT_EQ((std::vector<bool>{true, false, false, true, false}),
            (std::vector<bool>{runs[0].fullListing, runs[1].fullListing, runs[2].fullListing,
                               runs[3].fullListing, runs[4].fullListing}));
  EXPECT_EQ(Hashed("a.txt", "a4", Seconds(1004)), *Find(store.history().Latest(), "a.txt"));
}

TEST_F(RunRecordTest, ASourceReplacedByAnOlderFileIsBackedUpAndItsOldCopySaved) {
  test::WriteFile(Src("report.pdf"), "this year's", Seconds(5000));
  test::WriteFile(Src("other.txt"), "o", Seconds(5000));
  Run(true);
  // An older download moved in over it: older than the copy, but not what was backed up.
  test::WriteFile(Src("report.pdf"), "last year's, longer", Seconds(1000));
  BackupResults results = Run(true);
  EXPECT_EQ(1, results.counters.updated);
  EXPECT_EQ(1, results.counters.skipped);
  EXPECT_EQ("last year's, longer", test::ReadFile(Dst("report.pdf")));
  EXPECT_EQ("this year's", test::ReadFile(results.versionDir + kPathSeparator + "report.pdf"));
  EXPECT_EQ(Hashed("report.pdf", "last year's, longer", Seconds(1000)),
            *Find(Latest(), "report.pdf"));
  results = Run(true);  // and then it is up to date
  EXPECT_EQ(2, results.counters.skipped);
  // The same size, only an older time: replaced all the same.
  test::WriteFile(Src("other.txt"), "p", Seconds(10));
  results = Run(false);
  EXPECT_EQ(1, results.counters.updated);
  EXPECT_EQ("p", test::ReadFile(Dst("other.txt")));
}

TEST_F(RunRecordTest, AFileBackUnderAnEarlierNameIsJudgedByTheCopyLeftFromThen) {
  test::WriteFile(Src("a/same.txt"), "same", Seconds(5000));
  test::WriteFile(Src("a/older.txt"), "new bytes", Seconds(5000));
  Run(false);
  std::filesystem::rename(Src("a"), Src("b"));
  Run(false);  // a/ is no longer listed; its copies stay in the target
  std::filesystem::rename(Src("b"), Src("a"));
  // Unpacked from an old archive meanwhile: the same size, older than the copy left in a/.
  test::WriteFile(Src("a/older.txt"), "old bytes", Seconds(1000));
  const BackupResults results = Run(false);
  EXPECT_EQ(1, results.counters.updated);
  EXPECT_EQ("old bytes", test::ReadFile(Dst("a/older.txt")));
  // The copy that was left as it was is listed again with the hash the record had for it.
  const Listing latest = Latest();
  ASSERT_NE(nullptr, Find(latest, "a/same.txt"));
  EXPECT_EQ(Hashed("a/same.txt", "same", Seconds(5000)), *Find(latest, "a/same.txt"));
}

TEST_F(RunRecordTest, ACopyChangedInTheTargetOrATargetWithoutRecordKeepsTheNewerTimesRule) {
  test::WriteFile(Src("a.txt"), "a", Seconds(5000));
  test::WriteFile(Src("b.txt"), "b", Seconds(5000));
  Run(false);
  test::WriteFile(Dst("a.txt"), "edited in the target", Seconds(6000));
  test::WriteFile(Src("a.txt"), "older source", Seconds(1000));
  for (int run = 0; run < 2; ++run) {
    EXPECT_EQ(2, Run(false).counters.skipped);
    EXPECT_EQ("edited in the target", test::ReadFile(Dst("a.txt")));
  }
  // The record still says what was backed up, so the edit stays told apart.
  EXPECT_EQ(Hashed("a.txt", "a", Seconds(5000)), *Find(Latest(), "a.txt"));
  std::filesystem::remove_all(Dst(".quillstone"));
  test::WriteFile(Src("b.txt"), "older b", Seconds(1000));
  BackupResults results = Run(false);
  EXPECT_EQ(2, results.counters.skipped);
  EXPECT_EQ("b", test::ReadFile(Dst("b.txt")));
  // The new record found b.txt in place, newer than its source: it never saw it made, so the
  // next run leaves it alone too.
  results = Run(false);
  EXPECT_EQ(2, results.counters.skipped);
  EXPECT_EQ("b", test::ReadFile(Dst("b.txt")));
}

TEST_F(RunRecordTest, OnAVolumeThatCutsTimesDownTheRecordKeepsTheCopysTime) {
  fs_.timeStep = 2 * test::kSecondNanos;  // as FAT keeps them
  test::WriteFile(Src("a.txt"), "a", test::At(1001, 500));
  Run(false);
  const RecordedFile expected = {"a.txt", 1, Seconds(1000), true, HashOf("a")};
  EXPECT_EQ(fs_.Stat(Dst("a.txt")).lastWrite, expected.lastWrite);
  EXPECT_EQ((Listing{expected}), Latest());
  EXPECT_EQ(1, Run(false).counters.skipped);  // and the rerun carries its hash over
  EXPECT_EQ((Listing{expected}), Latest());
}

}  // namespace
}  // namespace qs
