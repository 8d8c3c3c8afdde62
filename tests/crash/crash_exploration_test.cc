// A short crash sweep inside the unit tests, so that it runs under the sanitizers and under
// Wine too; and the invariants shown to catch what they are for.
#include "tests/crash/crash_exploration.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "cli/prune_command.h"
#include "engine/paths.h"
#include "engine/record_facts.h"
#include "engine/record_journal.h"
#include "engine/record_store.h"
#include "tests/crash/crash_operations.h"

namespace qs::test {
namespace {

ExploreOptions ShortSweep() {
  ExploreOptions options;
  // Light enough for ThreadSanitizer and Wine; crash_explore sweeps far wider.
  options.everyNth = 4;
  options.states.randomSubsets = 4;
  options.states.tornWrites = 2;
  options.failures = false;
  return options;
}

std::string Examples(const ExploreSummary& summary) {
  std::ostringstream text;
  PrintSummary(summary, text);
  return text.str();
}

TEST(CrashExplorationTest, EveryOperationSurvivesACrashAnywhereAndARerunMendsIt) {
  const ExploreSummary summary = Explore(ShortSweep(), nullptr);
  EXPECT_EQ(summary.Violations(), 0u) << Examples(summary);
  EXPECT_EQ(summary.workloads, 14u);
  EXPECT_GT(summary.distinctStates, 300u);
  EXPECT_GT(summary.crashStates, summary.distinctStates);
}

TEST(CrashExplorationTest, PrunesRestoresAndAppendsEachCrashInManyStates) {
  for (const std::unique_ptr<OperationCase>& operation : OperationCases()) {
    const ExploreSummary summary = ExploreOperation(*operation, ShortSweep());
    EXPECT_EQ(summary.Violations(), 0u) << operation->Name() << Examples(summary);
    EXPECT_GT(summary.crashPoints, 3u) << operation->Name();
    EXPECT_GT(summary.distinctStates, 3u) << operation->Name();
  }
}

TEST(CrashExplorationTest, ARunWhoseFlushesFailLeavesNothingTornAndIsMendedByARerun) {
  for (const Workload& base : StandardWorkloads(false)) {
    if (!base.timeVersioning || base.name.find("second") != std::string::npos) continue;
    for (const CrashCall call :
         {CrashCall::kFlush, CrashCall::kSyncVolume, CrashCall::kSyncDirectory}) {
      Workload workload = base;
      workload.failure = {call, 2, EIO};
      const ExploreSummary summary = ExploreWorkload(workload, ShortSweep());
      EXPECT_EQ(summary.Violations(), 0u) << workload.name << Examples(summary);
    }
  }
}

TEST(CrashExplorationTest, APruneWhoseFolderFlushFailsRemovesNothingOfThatFolder) {
  FakeClock clock;
  std::unique_ptr<CrashFileSystem> fs =
      PrepareWorkload({"versions", true, true, VersionedRuns(), {}, {}}, clock);
  const TargetView before = ViewTarget(fs->Live());
  ASSERT_EQ(before.versions.size(), 3u);
  const std::string oldest = before.versions.begin()->first;
  RunArgs args;
  args.mode = RunArgs::Mode::kPrune;
  args.target = TargetRoot();
  args.keep.last = 1;
  // The first run's folder (a README alone) goes first; the flush after the next rename fails.
  fs->FailNth(CrashCall::kSyncDirectory, 2, EIO);
  std::string log;
  EXPECT_EQ(RunCommandOn(RunPruneCommand, args, *fs, clock, &log), 1);
  EXPECT_NE(log.find("Could not remove version folder: " + TargetRoot() + kPathSeparator + oldest +
                     " Error: 5 ("),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("Pruning completed: 2 removed, 1 failed."), std::string::npos) << log;
  Tree aside = FilesBelow(fs->Live(), TargetRoot() + kPathSeparator + ".qs-removing-" + oldest);
  aside.erase("README.txt");
  EXPECT_EQ(aside, before.versions.at(oldest));  // set aside, every file still in it
  EXPECT_EQ(RunCommandOn(RunPruneCommand, args, *fs, clock, &log), 0) << log;
  const TargetView after = ViewTarget(fs->Live());
  EXPECT_EQ(after.versions.size(), 1u);
  EXPECT_EQ(after.current, before.current);  // the leftover is gone too
}

class InvariantTest : public ::testing::Test {
 protected:
  InvariantTest() {
    expected_.source = {{"a.txt", {"new bytes", Seconds(200)}}, {"b.txt", {"b", Seconds(50)}}};
    expected_.before.current = {{"a.txt", {"old bytes", Seconds(100)}},
                                {"b.txt", {"b", Seconds(50)}}};
    expected_.timeVersioning = true;
    expected_.updated = {"a.txt"};
    crashed_ = expected_.before;
  }

  std::vector<Invariant> Broken() {
    std::vector<Invariant> broken;
    for (const Violation& found : CheckCrashState(crashed_, expected_))
      broken.push_back(found.invariant);
    return broken;
  }

  Expectation expected_;
  TargetView crashed_;
};

TEST_F(InvariantTest, TheOldCopyOrTheNewOneWithItsOwnTimePass) {
  EXPECT_TRUE(Broken().empty());
  crashed_.versions["backup_20250131_090000"]["a.txt"] = {"old bytes", Seconds(100)};
  crashed_.current["a.txt"] = {"new bytes", Seconds(200)};
  EXPECT_TRUE(Broken().empty());
}

TEST_F(InvariantTest, ATornOrEmptyCopyIsCaught) {
  crashed_.current["a.txt"] = {"new ", Seconds(200)};
  EXPECT_EQ(Broken(), (std::vector<Invariant>{Invariant::kDatedAsSource, Invariant::kOldCopyKept}));
  crashed_.current["a.txt"] = {"", Seconds(300)};
  EXPECT_EQ(Broken(), (std::vector<Invariant>{Invariant::kOldOrNew, Invariant::kOldCopyKept}));
  crashed_.current.erase("b.txt");
  crashed_.current["a.txt"] = {"old bytes", Seconds(100)};
  EXPECT_EQ(Broken(), (std::vector<Invariant>{Invariant::kOldOrNew}));
}

TEST_F(InvariantTest, TheRightBytesUnderAWrongTimeAreCaught) {
  crashed_.current["a.txt"] = {"new bytes", Seconds(999)};
  crashed_.versions["backup_20250131_090000"]["a.txt"] = {"old bytes", Seconds(100)};
  EXPECT_EQ(Broken(), (std::vector<Invariant>{Invariant::kWronglyDated}));
}

TEST_F(InvariantTest, AVersionThatIsNotWhatItReplacedIsCaught) {
  crashed_.current["a.txt"] = {"new bytes", Seconds(200)};
  crashed_.versions["backup_20250131_090000"]["a.txt"] = {"new bytes", Seconds(200)};
  EXPECT_EQ(Broken(), (std::vector<Invariant>{Invariant::kVersionIsOld, Invariant::kOldCopyKept}));
  expected_.before.versions["backup_20240101_000000"]["b.txt"] = {"b0", Seconds(10)};
  crashed_.versions["backup_20250131_090000"]["a.txt"] = {"old bytes", Seconds(100)};
  EXPECT_EQ(Broken(), (std::vector<Invariant>{Invariant::kVersionIsOld}));  // the old folder went
}

/// A journal of one run per listing, each listing whole.
std::string JournalOf(const std::vector<Listing>& runs) {
  std::string journal(kJournalMagic);
  uint64_t number = 0;
  for (const Listing& listing : runs) {
    RunFact run;
    run.number = ++number;
    run.fullListing = true;
    run.changes = AsChanges(listing);
    journal += EncodeFrame(FrameKind::kRun, EncodeRun(run));
  }
  return journal;
}

RecordedFile Entry(const std::string& path, const FileCopy& copy, bool hashed = true) {
  return {path, copy.bytes.size(), copy.time, hashed, hashed ? HashOf(copy.bytes) : ContentHash{}};
}

TEST_F(InvariantTest, ARecordCutShortKeepsItsEarlierRunsAndARerunRecordsTheSource) {
  const Listing before = {Entry("a.txt", expected_.before.current.at("a.txt")),
                          Entry("b.txt", expected_.before.current.at("b.txt"))};
  const std::string one = JournalOf({before});
  expected_.recordedRuns = 1;
  crashed_.record[kJournalFileName] = {one, Seconds(1)};
  EXPECT_TRUE(Broken().empty());
  crashed_.record[kJournalFileName] = {one +
                                           "\x01\x05"
                                           "abc",
                                       Seconds(1)};  // an append cut short
  EXPECT_TRUE(Broken().empty());
  crashed_.record[kJournalFileName] = {one.substr(0, one.size() - 3), Seconds(1)};
  EXPECT_EQ(Broken(), (std::vector<Invariant>{Invariant::kRecordReadsBack}));
  crashed_.record.clear();
  EXPECT_EQ(Broken(), (std::vector<Invariant>{Invariant::kRecordReadsBack}));

  TargetView after;
  after.current = expected_.source;
  after.versions["backup_20250131_090000"]["a.txt"] = {"old bytes", Seconds(100)};
  const Listing source = {Entry("a.txt", expected_.source.at("a.txt")),
                          Entry("b.txt", expected_.source.at("b.txt"), false)};
  after.record[kJournalFileName] = {JournalOf({before, source}), Seconds(2)};
  EXPECT_TRUE(CheckRerun(after, after, {}, expected_).empty());
  const auto broken = [&](const std::vector<Listing>& runs) {
    TargetView wrong = after;
    wrong.record[kJournalFileName] = {JournalOf(runs), Seconds(2)};
    const std::vector<Violation> found = CheckRerun(wrong, wrong, {}, expected_);
    return found.size() == 1 && found[0].invariant == Invariant::kRecordAppendsAgain;
  };
  EXPECT_TRUE(broken({before}));  // the rerun's run is missing
  EXPECT_TRUE(broken({before, before}));
  Listing other_hash = source;
  other_hash[0].hash = HashOf("other bytes");
  EXPECT_TRUE(broken({before, other_hash}));
  EXPECT_TRUE(broken({before, {source[0]}}));  // b.txt left out
}

TEST_F(InvariantTest, ARerunMustEndWithTheSourceOnTheDisk) {
  TargetView after;
  after.current = expected_.source;
  after.record[kJournalFileName] = {JournalOf({{Entry("a.txt", expected_.source.at("a.txt")),
                                                Entry("b.txt", expected_.source.at("b.txt"))}}),
                                    Seconds(2)};
  after.versions["backup_20250131_090000"]["a.txt"] = {"old bytes", Seconds(100)};
  EXPECT_TRUE(CheckRerun(after, after, {}, expected_).empty());
  TargetView lost = after;
  lost.current.erase("b.txt");
  ASSERT_EQ(CheckRerun(after, lost, {}, expected_).size(), 1u);
  EXPECT_EQ(CheckRerun(after, lost, {}, expected_)[0].invariant, Invariant::kEndedDurable);
  EXPECT_EQ(CheckRerun(lost, lost, {}, expected_)[0].invariant, Invariant::kRerunConverges);
  RunOutcome failed;
  failed.results.counters.failed = 1;
  EXPECT_EQ(CheckRerun(after, after, failed, expected_)[0].invariant, Invariant::kRerunConverges);
}

}  // namespace
}  // namespace qs::test
