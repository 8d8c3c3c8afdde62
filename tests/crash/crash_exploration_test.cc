// A short crash sweep inside the unit tests, so that it runs under the sanitizers and under
// Wine too; and the invariants shown to catch what they are for.
#include "tests/crash/crash_exploration.h"

#include <gtest/gtest.h>

#include <cerrno>

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

TEST_F(InvariantTest, ARerunMustEndWithTheSourceOnTheDisk) {
  TargetView after;
  after.current = expected_.source;
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
