// --restore --as-of on the real runner over a target whose record is written here: the tree
// exactly as each run saw the source, copies checked against the record, and what can no
// longer be given named.
#include <cstdio>
#include <filesystem>

#include "engine/record_facts.h"
#include "engine/record_notice.h"
#include "engine/record_store.h"
#include "log/log_time.h"
#include "tests/cli/runner_fixture.h"
#include "tests/support/command_runner.h"

namespace qs {
namespace {

using test::Seconds;

constexpr int64_t kBase = 1760000000;  // the first run ends an hour after this
constexpr char kV2[] = "backup_20251009_100000";
constexpr char kV3[] = "backup_20251009_110000";

std::string AsOf(int64_t seconds) {
  const LocalTime t = ToLocalTime(seconds);
  char text[32];
  std::snprintf(text, sizeof text, "\"%04d-%02d-%02d %02d:%02d:%02d\"", t.year, t.month, t.day,
                t.hour, t.minute, t.second);
  return text;
}

RecordedFile Entry(const std::string& path, const std::string& bytes, int64_t written) {
  return {path, bytes.size(), Seconds(written), true, HashOf(bytes)};
}

class RunnerRecordRestoreTest : public test::RunnerFixture {
 protected:
  // Run 1: a.txt a1, dir/x, gone.txt, c.txt c1. Run 2: a.txt a2 (a1 saved in kV2), dir/
  // renamed ren/, gone.txt deleted, c.txt c2 written over c1. Run 3: a.txt a3 (a2 in kV3).
  void SetUp() override {
    Put("tgt/a.txt", "a3", 30);
    Put("tgt/dir/x", "x", 10);
    Put("tgt/ren/x", "x", 10);
    Put("tgt/gone.txt", "g", 10);
    Put("tgt/c.txt", "c2", 20);
    Put(std::string("tgt/") + kV2 + "/README.txt", "Time Version Backup\n", 10);
    Put(std::string("tgt/") + kV2 + "/a.txt", "a1", 10);
    Put(std::string("tgt/") + kV3 + "/README.txt", "Time Version Backup\n", 10);
    Put(std::string("tgt/") + kV3 + "/a.txt", "a2", 20);
    const Listing one = {Entry("a.txt", "a1", 10), Entry("c.txt", "c1", 10),
                         Entry("dir/x", "x", 10), Entry("gone.txt", "g", 10)};
    const Listing two = {Entry("a.txt", "a2", 20), Entry("c.txt", "c2", 20),
                         Entry("ren/x", "x", 10)};
    const Listing three = {Entry("a.txt", "a3", 30), Entry("c.txt", "c2", 20),
                           Entry("ren/x", "x", 10)};
    AppendRun(1, {}, one, "");
    AppendRun(2, one, two, kV2);
    AppendRun(3, two, three, kV3);
  }

  void Put(const std::string& relative, const std::string& bytes, int64_t written) {
    test::WriteFile(dir_ / relative, bytes, Seconds(written));
  }
  void AppendRun(uint64_t number, const Listing& before, const Listing& after,
                 const std::string& folder) {
    RunFact run;
    run.number = number;
    run.startTicks = (kBase + 3600 * number - 10) * 10000000;
    run.endTicks = (kBase + 3600 * number) * 10000000 + 5000000;  // half a second in
    run.sourceRoot = dir_ / "src/";
    run.versionFolder = folder;
    run.fullListing = before.empty();
    run.changes = Diff(before, after);
    for (ListingChange& change : run.changes) change.versionSaved = change.file.path == "a.txt";
    Append(FrameKind::kRun, EncodeRun(run));
  }
  void Append(FrameKind kind, const std::string& payload) {
    RecordStore store = RecordStore::Open(test::RealFs(), dir_ / "tgt/");
    uint32_t code = 0;
    ASSERT_TRUE(store.Append(test::RealFs(), kind, payload, &code)) << code;
  }
  int RestoreAsOf(int run, const std::string& dest) {
    return Run("--restore --as-of " + AsOf(kBase + 3600 * run) + " " + Quoted("tgt") + " " +
               Quoted(dest));
  }
  std::map<std::string, std::string> Restored(const std::string& dest) {
    std::map<std::string, std::string> files;
    for (const std::string& name : test::ListTree(dir_ / dest))
      files[name] = test::ReadFile(dir_ / (dest + "/" + name));
    return files;
  }
  size_t Count(const std::string& text) {
    size_t count = 0;
    const std::string out = Out();
    for (size_t at = out.find(text); at != std::string::npos; at = out.find(text, at + 1)) ++count;
    return count;
  }
  std::string Journal() { return test::Native(dir_ / "tgt/.quillstone/journal"); }
};

TEST_F(RunnerRecordRestoreTest, EachRunsMomentGivesTheTreeThatRunSaw) {
  const auto target = Snapshot(dir_ / "tgt");
  // c.txt's first bytes were written over without a version: named, and the run fails.
  EXPECT_EQ(1, RestoreAsOf(1, "m1")) << Out();
  EXPECT_EQ(
      (std::map<std::string, std::string>{{"a.txt", "a1"}, {"dir/x", "x"}, {"gone.txt", "g"}}),
      Restored("m1"));
  EXPECT_TRUE(OutHas("] Restored: a.txt (from " + std::string(kV2) + ")\n")) << Out();
  EXPECT_TRUE(
      OutHas("] Can no longer be restored as of that moment: c.txt (its copy was "
             "replaced without a version saved)\n"))
      << Out();
  EXPECT_TRUE(OutHas("] Restore completed: 3 restored, 0 left out, 1 failed.\n")) << Out();

  ASSERT_EQ(0, RestoreAsOf(2, "m2")) << Out();
  // The renamed folder under its name then, the deleted file gone.
  EXPECT_EQ((std::map<std::string, std::string>{{"a.txt", "a2"}, {"c.txt", "c2"}, {"ren/x", "x"}}),
            Restored("m2"));
  EXPECT_EQ(1u, OutLinesStarting("Restoring the tree as the run that ended " +
                                 FileTimeText({kBase + 7200, 500000000}) + " saw the source.")
                    .size())
      << Out();
  ASSERT_EQ(0, RestoreAsOf(3, "m3")) << Out();
  EXPECT_EQ((std::map<std::string, std::string>{{"a.txt", "a3"}, {"c.txt", "c2"}, {"ren/x", "x"}}),
            Restored("m3"));
  ASSERT_EQ(0, Run("--restore --as-of " + AsOf(kBase + 3600 * 3) + " " + Quoted("tgt") + " " +
                   Quoted("ren") + " ren a.txt"))
      << Out();
  EXPECT_EQ((std::map<std::string, std::string>{{"a.txt", "a3"}, {"ren/x", "x"}}), Restored("ren"));
  // Without --as-of: every current copy, the record itself never.
  ASSERT_EQ(0, Run("--restore " + Quoted("tgt") + " " + Quoted("now"))) << Out();
  EXPECT_EQ(
      (std::map<std::string, std::string>{
          {"a.txt", "a3"}, {"c.txt", "c2"}, {"dir/x", "x"}, {"gone.txt", "g"}, {"ren/x", "x"}}),
      Restored("now"));
  EXPECT_EQ(target, Snapshot(dir_ / "tgt"));
}

TEST_F(RunnerRecordRestoreTest, ACopyWhoseBytesDifferIsNotRestored) {
  Put(std::string("tgt/") + kV2 + "/a.txt", "a9", 10);  // same size and time, other bytes
  EXPECT_EQ(1, RestoreAsOf(1, "m1")) << Out();
  EXPECT_EQ(0u, Restored("m1").count("a.txt"));
  EXPECT_EQ(1u, Restored("m1").count("gone.txt"));
  EXPECT_TRUE(OutHas("] Not restored, the copy's bytes differ from the record: a.txt (" +
                     std::string(kV2) + ": recorded hash " + HashOf("a1").Hex() + ", found " +
                     HashOf("a9").Hex() + ")\n"))
      << Out();
  // A copy taken out of the target by hand is named as missing.
  std::filesystem::remove(dir_ / "tgt/ren/x");
  EXPECT_EQ(1, RestoreAsOf(3, "m3")) << Out();
  EXPECT_TRUE(OutHas("] Can no longer be restored as of that moment: " + test::Native("ren/x") +
                     " (its copy is missing from TARGET)\n"))
      << Out();
}

TEST_F(RunnerRecordRestoreTest, AMomentAPruneTookSaysWhatItCanNoLongerGive) {
  std::filesystem::remove_all(dir_ / ("tgt/" + std::string(kV2)));
  Append(FrameKind::kPrune, EncodePrune({(kBase + 4 * 3600) * 10000000, {kV2}}));
  EXPECT_EQ(1, RestoreAsOf(1, "m1")) << Out();
  EXPECT_TRUE(OutHas("] Can no longer be restored as of that moment: a.txt (the version folder " +
                     std::string(kV2) + " was pruned)\n"))
      << Out();
  EXPECT_EQ(0, RestoreAsOf(2, "m2")) << Out();
  EXPECT_EQ("a2", Restored("m2").at("a.txt"));
}

TEST_F(RunnerRecordRestoreTest, BeforeTheFirstRunTheVersionFoldersDatesDecide) {
  EXPECT_EQ(0, Run("--restore --as-of " + AsOf(kBase) + " " + Quoted("tgt") + " " + Quoted("m0")))
      << Out();
  EXPECT_EQ(1u, OutLinesStarting("The moment is before the first run the record holds, which "
                                 "ended " +
                                 FileTimeText({kBase + 3600, 500000000}) +
                                 ": the dates of the version folders decide what is restored.")
                    .size())
      << Out();
  EXPECT_EQ(0u, Count("Restoring the tree as the run"));
  EXPECT_EQ(0u, Restored("m0").count(".quillstone/journal"));
}

TEST_F(RunnerRecordRestoreTest, ARecordThatCannotBeUsedWholeIsSaidOnce) {
  // A damaged end: the whole facts still give each moment.
  {
    std::FILE* f = std::fopen(Journal().c_str(), "ab");
    std::fputs("\x01\x05zz", f);
    std::fclose(f);
  }
  ASSERT_EQ(0, RestoreAsOf(2, "torn")) << Out();
  EXPECT_EQ(1u, Count("The record of the runs has a damaged end, which is left out: " + Journal()))
      << Out();
  EXPECT_EQ("a2", Restored("torn").at("a.txt"));
  ASSERT_EQ(0, Run("--restore " + Quoted("tgt") + " " + Quoted("plain"))) << Out();
  EXPECT_EQ(1u, Count("has a damaged end"));
  // Not a journal of ours: the old rule, said once.
  test::WriteFile(Journal(), "not a journal");
  ASSERT_EQ(0, RestoreAsOf(2, "foreign")) << Out();
  EXPECT_EQ(1u, Count("The record's file was not written by Quillstone and is left alone"));
  EXPECT_EQ(0u, Count(kNoRecordNotice));
  EXPECT_EQ(0u, Count("Restoring the tree as the run"));
  // No record at all: the as-of restore says so once; a plain one needs no word of it.
  std::filesystem::remove_all(dir_ / "tgt/.quillstone");
  ASSERT_EQ(0, RestoreAsOf(2, "none")) << Out();
  EXPECT_EQ(1u, Count(kNoRecordNotice)) << Out();
  ASSERT_EQ(0, Run("--restore " + Quoted("tgt") + " " + Quoted("none2"))) << Out();
  EXPECT_EQ(0u, Count(kNoRecordNotice)) << Out();
}

/// A moment of the runs, as --versions shows it: local time to the second.
std::string Moment(int64_t seconds) { return AsOf(seconds).substr(1, 19); }

TEST_F(RunnerRecordRestoreTest, VersionsListsEachDistinctCopyOnceWithWhereItIsKept) {
  ASSERT_EQ(0, Run("--versions " + Quoted("tgt") + " a.txt")) << Err();
  const std::string t1 = Moment(kBase + 3600), t2 = Moment(kBase + 7200),
                    t3 = Moment(kBase + 10800);
  EXPECT_EQ((std::vector<std::string>{
                FileTimeText(Seconds(30)) + "  2 bytes  current, first backed up " + t3,
                FileTimeText(Seconds(20)) + "  2 bytes  " + kV3 + ", first backed up " + t2 +
                    ", replaced " + t3,
                FileTimeText(Seconds(10)) + "  2 bytes  " + kV2 + ", first backed up " + t1 +
                    ", replaced " + t2,
            }),
            Lines(Out()));
  EXPECT_EQ("", Err());
  // Bytes written over without a version are kept nowhere, and not said to be.
  ASSERT_EQ(0, Run("--versions " + Quoted("tgt") + " c.txt")) << Err();
  EXPECT_EQ((std::vector<std::string>{
                FileTimeText(Seconds(20)) + "  2 bytes  current, first backed up " + t2,
                FileTimeText(Seconds(10)) + "  2 bytes  kept nowhere, first backed up " + t1 +
                    ", replaced " + t2,
            }),
            Lines(Out()));
  // The same bytes again are one copy, kept in two places.
  Put("tgt/a.txt", "a2", 40);
  Append(FrameKind::kRun, [&] {
    RunFact run;
    run.number = 4;
    run.endTicks = (kBase + 4 * 3600) * 10000000;
    run.versionFolder = "backup_20251009_120000";
    run.changes = {{ListingChange::Kind::kPut, Entry("a.txt", "a2", 40), true}};
    return EncodeRun(run);
  }());
  Put("tgt/backup_20251009_120000/README.txt", "Time Version Backup\n", 10);
  Put("tgt/backup_20251009_120000/a.txt", "a3", 30);
  ASSERT_EQ(0, Run("--versions " + Quoted("tgt") + " a.txt")) << Err();
  ASSERT_EQ(3u, Lines(Out()).size()) << Out();
  EXPECT_EQ(FileTimeText(Seconds(40)) + "  2 bytes  current and " + kV3 + ", first backed up " + t2,
            Lines(Out())[0]);
}

TEST_F(RunnerRecordRestoreTest, VersionsOfAFileTheRecordDoesNotKnowGoByTheFolders) {
  Put(std::string("tgt/") + kV2 + "/old.txt", "o", 5);
  ASSERT_EQ(0, Run("--versions " + Quoted("tgt") + " old.txt")) << Err();
  EXPECT_EQ((std::vector<std::string>{FileTimeText(Seconds(5)) + "  1 bytes  " + kV2 +
                                      ", replaced 2025-10-09 10:00:00"}),
            Lines(Out()));
  EXPECT_EQ("", Err());
  std::filesystem::remove_all(dir_ / "tgt/.quillstone");
  ASSERT_EQ(0, Run("--versions " + Quoted("tgt") + " a.txt")) << Err();
  EXPECT_EQ(3u, Lines(Out()).size()) << Out();
  // One line on standard error (a Windows console ends it with CR LF), the listing unchanged.
  EXPECT_EQ(1u, Lines(Err()).size()) << Err();
  EXPECT_EQ(0u, Err().find(kNoRecordNotice)) << Err();
}

TEST_F(RunnerRecordRestoreTest, APruneKeepsTheRecordTrueAndItsDryRunWritesNothing) {
  const auto before = Snapshot(dir_ / "tgt");
  ASSERT_EQ(0, Run("--prune-versions --dry-run --keep-last 1 " + Quoted("tgt"))) << Out();
  EXPECT_EQ(before, Snapshot(dir_ / "tgt"));
  // A removal cut short before: finished, and named in the record with the new one.
  Put("tgt/.qs-removing-backup_20251001_000000/a.txt", "a0", 5);
  ASSERT_EQ(0, Run("--prune-versions --keep-last 1 " + Quoted("tgt"))) << Out();
  EXPECT_FALSE(test::Exists(dir_ / ("tgt/" + std::string(kV2))));
  const RecordStore store = RecordStore::Open(test::RealFs(), dir_ / "tgt/");
  ASSERT_EQ(store.found(), RecordStore::Found::kWhole);
  std::vector<std::string> named;
  for (const PruneFact& prune : store.history().prunes())
    named.insert(named.end(), prune.removedFolders.begin(), prune.removedFolders.end());
  EXPECT_EQ(named, (std::vector<std::string>{"backup_20251001_000000", kV2}));
  EXPECT_EQ(1, RestoreAsOf(1, "m1")) << Out();
  EXPECT_TRUE(OutHas("] Can no longer be restored as of that moment: a.txt (the version folder " +
                     std::string(kV2) + " was pruned)\n"))
      << Out();
  // Nothing more to remove: nothing more written.
  const std::string journal = test::ReadFile(Journal());
  ASSERT_EQ(0, Run("--prune-versions --keep-last 1 " + Quoted("tgt"))) << Out();
  EXPECT_EQ(journal, test::ReadFile(Journal()));
}

TEST_F(RunnerRecordRestoreTest, AFolderTheRecordCannotHearOfStaysWholeAsRoot) {
  // An immutable journal (chattr +i holds out even against root) takes no more facts.
  const std::string flag = "chattr +i \"" + Journal() + "\" 2>/dev/null";
  if (RunCommandLine(flag) != 0)
    GTEST_SKIP() << "chattr +i does not work here (not root, or the file system has no flag)";
  const auto before = Snapshot(dir_ / "tgt");
  const int status = Run("--prune-versions --keep-last 1 " + Quoted("tgt"));
  ASSERT_EQ(0, RunCommandLine("chattr -i \"" + Journal() + "\""));
  EXPECT_EQ(1, status) << Out();
  EXPECT_TRUE(OutHas("] Could not keep the prune in the record of the runs: " + Journal() +
                     " Error: 1 (Operation not permitted)\n"))
      << Out();
  EXPECT_TRUE(OutHas("] Pruning completed: 0 removed, 1 failed.\n")) << Out();
  // The record's folder may have seen a whole rewrite tried and given up; its files may not.
  auto after = Snapshot(dir_ / "tgt");
  auto whole = before;
  whole.erase(".quillstone/");
  after.erase(".quillstone/");
  EXPECT_EQ(whole, after);
}

}  // namespace
}  // namespace qs
