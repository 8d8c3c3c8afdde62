// A job's results are counted from its events alone, so a front end that sees the events sees
// the same run the counts describe.
#include "engine/run_counter.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

class RunCounterTest : public ::testing::Test {
 protected:
  void Tell(RunEventKind kind, std::string_view path = {}) {
    counter_.OnRunEvent({.kind = kind, .path = path});
  }
  BackupOptions options_;
  BackupResults results_;
  RunCounter counter_{options_, results_};
};

TEST_F(RunCounterTest, EachFileIsCountedByTheEventThatEndsIt) {
  Tell(RunEventKind::kStarted);
  Tell(RunEventKind::kScanned);
  for (const RunEventKind kind :
       {RunEventKind::kCopied, RunEventKind::kCopied, RunEventKind::kUpdated,
        RunEventKind::kSkipped, RunEventKind::kSkipped, RunEventKind::kSkipped,
        RunEventKind::kVersionSaved, RunEventKind::kCopyFailed, RunEventKind::kFailed,
        RunEventKind::kNameCollision, RunEventKind::kFailed, RunEventKind::kCopying})
    Tell(kind);
  const BackupCounters& c = results_.counters;
  EXPECT_EQ(c.copied, 2);
  EXPECT_EQ(c.updated, 1);
  EXPECT_EQ(c.skipped, 3);
  EXPECT_EQ(c.failed, 2);
  EXPECT_EQ(c.timeVersioned, 1);
  EXPECT_TRUE(results_.AnyFailed());
}

TEST_F(RunCounterTest, ARunStartsFromZeroAfterItsScanButKeepsTheFoldersItCouldNotList) {
  Tell(RunEventKind::kStarted);
  Tell(RunEventKind::kCopied);
  Tell(RunEventKind::kFlushFailed);
  Tell(RunEventKind::kVersionFolderMade, "/t/backup_1");
  Tell(RunEventKind::kStarted);
  // Until the scan is done the last run's counts stand.
  EXPECT_EQ(results_.counters.copied, 1);
  Tell(RunEventKind::kDirectoryUnlisted, "/s/locked");
  Tell(RunEventKind::kScanned);
  EXPECT_EQ(results_.counters.copied, 0);
  EXPECT_EQ(results_.flushFailures, 0);
  EXPECT_EQ(results_.versionDir, "");
  EXPECT_EQ(results_.unlistedDirectories, 1);
  EXPECT_TRUE(results_.AnyFailed());
  Tell(RunEventKind::kStarted);
  EXPECT_EQ(results_.unlistedDirectories, 0);
}

TEST_F(RunCounterTest, TheVersionFolderAndTheOldCopiesThatWereNotKept) {
  Tell(RunEventKind::kScanned);
  Tell(RunEventKind::kVersionFolderFailed, "/t/backup_2");
  EXPECT_EQ(results_.versionDir, "/t/backup_2");
  EXPECT_FALSE(results_.versionFolderMade);
  EXPECT_EQ(results_.timeVersionFailures, 1);
  Tell(RunEventKind::kVersionNotSaved, "/t/a");
  EXPECT_EQ(results_.timeVersionFailures, 2);
  Tell(RunEventKind::kScanned);
  Tell(RunEventKind::kVersionFolderMade, "/t/backup_3");
  EXPECT_TRUE(results_.versionFolderMade);
  EXPECT_EQ(results_.timeVersionFailures, 0);
  EXPECT_FALSE(results_.AnyFailed());
}

TEST_F(RunCounterTest, DroppedTimesFailTheRunUnlessAccepted) {
  Tell(RunEventKind::kScanned);
  Tell(RunEventKind::kTimesNotKept, "/t");
  EXPECT_TRUE(results_.timesNotKept);
  EXPECT_TRUE(results_.AnyFailed());
  options_.acceptUnkeptTimes = true;  // read as the event comes, not when the job was made
  Tell(RunEventKind::kScanned);
  Tell(RunEventKind::kTimesNotKept, "/t");
  EXPECT_FALSE(results_.timesNotKept);
  EXPECT_FALSE(results_.AnyFailed());
}

}  // namespace
}  // namespace qs
