#include "engine/record_facts.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

TEST(RecordFactsTest, ARunReadsBackWhole) {
  RunFact run;
  run.number = 12;
  run.startTicks = 17672256000000000;
  run.endTicks = run.startTicks + 123456789;
  run.sourceRoot = "/home/ana/Documents/";
  run.copied = 3;
  run.updated = 2;
  run.skipped = 50000;
  run.failed = 1;
  run.timeVersioned = 2;
  run.exitStatus = 1;
  run.versionFolder = "backup_20260101_080000";
  run.fullListing = true;
  run.changes = AsChanges({{"a.txt", 10, {1767225600, 7}, true, {1, 2}}});
  run.changes[0].versionSaved = true;
  run.failedCount = 1;
  run.failedPaths = {"locked.db"};
  RunFact read;
  ASSERT_TRUE(DecodeRun(EncodeRun(run), &read));
  EXPECT_EQ(read.number, 12u);
  EXPECT_EQ(read.endTicks, run.endTicks);
  EXPECT_EQ(read.sourceRoot, run.sourceRoot);
  EXPECT_EQ(read.skipped, 50000);
  EXPECT_EQ(read.exitStatus, 1);
  EXPECT_EQ(read.versionFolder, run.versionFolder);
  EXPECT_TRUE(read.fullListing);
  EXPECT_FALSE(read.rebuilt);
  EXPECT_EQ(read.changes, run.changes);
  EXPECT_EQ(read.failedPaths, run.failedPaths);
}

TEST(RecordFactsTest, AnUnchangedRunTakesAFewDozenBytes) {
  RunFact run;
  run.number = 100;
  run.startTicks = 17672256000000000;
  run.endTicks = run.startTicks + 30000000;
  run.sourceRoot = "/home/ana/Documents/";
  run.skipped = 50000;
  EXPECT_LT(EncodeRun(run).size(), 64u);
}

TEST(RecordFactsTest, PrunesAndChecksReadBackWhole) {
  PruneFact prune{99, {"backup_20260101_080000", "backup_20260102_080000"}};
  PruneFact read_prune;
  ASSERT_TRUE(DecodePrune(EncodePrune(prune), &read_prune));
  EXPECT_EQ(read_prune.removedFolders, prune.removedFolders);

  CheckFact check;
  check.ticks = 5;
  check.bytesRead = 1 << 20;
  check.bytesInAll = 10 << 20;
  check.cycle = 3;
  check.resumeAt = {"backup_20260101_080000", "b/c.txt"};
  check.damaged = {{"", "x"}};
  check.changed = {{"backup_20260101_080000", "y"}};
  check.learned = {{{"", "z"}, {7, 8}}};
  CheckFact read;
  ASSERT_TRUE(DecodeCheck(EncodeCheck(check), &read));
  EXPECT_EQ(read.resumeAt, check.resumeAt);
  EXPECT_EQ(read.cycle, 3u);
  EXPECT_EQ(read.damaged, check.damaged);
  EXPECT_EQ(read.changed, check.changed);
  ASSERT_EQ(read.learned.size(), 1u);
  EXPECT_EQ(read.learned[0].second, (ContentHash{7, 8}));
}

TEST(RecordFactsTest, ACutShortFactIsRefused) {
  RunFact run;
  run.changes = AsChanges({{"a", 1, {1, 0}, false, {}}});
  const std::string whole = EncodeRun(run);
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    RunFact read;
    EXPECT_FALSE(DecodeRun(std::string_view(whole).substr(0, cut), &read)) << cut;
  }
}

}  // namespace
}  // namespace qs
