// Which copies give the tree as a recorded run saw it: deletions, renamed folders, the same
// bytes kept twice, and states the target no longer keeps.
#include "engine/as_of_plan.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qs {
namespace {

RecordedFile File(std::string path, int64_t seconds, uint64_t hash) {
  return {std::move(path), 10, {seconds, 0}, true, {hash, hash}};
}

/// A journal of runs, each given as its whole listing; `saved` names the paths whose old copy
/// the run kept in its version folder "v<number>".
class Journal {
 public:
  Journal& Run(const Listing& listing, const std::vector<std::string>& saved = {}) {
    RunFact run;
    run.number = ++number_;
    run.endTicks = number_ * 100;
    run.versionFolder = saved.empty() ? "" : "v" + std::to_string(number_);
    run.changes = Diff(last_, listing);
    for (ListingChange& change : run.changes)
      change.versionSaved = std::find(saved.begin(), saved.end(), change.file.path) != saved.end();
    bytes_ += EncodeFrame(FrameKind::kRun, EncodeRun(run));
    last_ = listing;
    return *this;
  }
  Journal& Prune(const std::vector<std::string>& folders) {
    bytes_ += EncodeFrame(FrameKind::kPrune, EncodePrune({0, folders}));
    return *this;
  }
  RecordHistory History() const { return RecordHistory::From(ReadJournal(bytes_)); }

 private:
  uint64_t number_ = 0;
  Listing last_;
  std::string bytes_ = std::string(kJournalMagic);
};

/// Each planned file as "path<-folders" ("." for the current tree), or "path<-lost:folder".
std::vector<std::string> Shown(const AsOfPlan& plan) {
  std::vector<std::string> shown;
  for (const AsOfFile& file : plan.files) {
    std::string line = RecordPath(file.relative) + "<-";
    for (const std::string& folder : file.keptIn) line += (folder.empty() ? "." : folder) + " ";
    if (file.keptIn.empty()) line += "lost:" + file.prunedFolder;
    shown.push_back(line);
  }
  return shown;
}

TEST(AsOfPlanTest, EachRunGivesItsOwnTreeWithDeletionsAndRenamedFoldersAsTheyWere) {
  const RecordHistory history =
      Journal()
          .Run({File("a", 1, 1), File("old/x", 1, 2), File("old/y", 1, 3)})
          .Run({File("a", 1, 1), File("new/x", 1, 2), File("new/y", 1, 3)})  // old/ renamed
          .Run({File("a", 2, 4), File("new/x", 1, 2), File("z", 1, 5)}, {"a"})
          .History();
  EXPECT_EQ(Shown(PlanAsOf(history, 0)),
            (std::vector<std::string>{"a<-v3 ", "old/x<-. ", "old/y<-. "}));
  EXPECT_EQ(Shown(PlanAsOf(history, 1)),
            (std::vector<std::string>{"a<-v3 ", "new/x<-. ", "new/y<-. "}));
  EXPECT_EQ(Shown(PlanAsOf(history, 2)), (std::vector<std::string>{"a<-. ", "new/x<-. ", "z<-. "}));
  EXPECT_EQ(PlanAsOf(history, 1).files[0].recorded, File("a", 1, 1));
}

TEST(AsOfPlanTest, BytesKeptInSeveralPlacesComeFromTheCurrentTreeFirst) {
  // Replaced by other bytes, then by the older bytes again (an old file moved back in).
  const RecordHistory history = Journal()
                                    .Run({File("a", 5, 1)})
                                    .Run({File("a", 6, 2)}, {"a"})
                                    .Run({File("a", 5, 1)}, {"a"})
                                    .History();
  EXPECT_EQ(Shown(PlanAsOf(history, 0)), (std::vector<std::string>{"a<-. v2 "}));
  EXPECT_EQ(Shown(PlanAsOf(history, 1)), (std::vector<std::string>{"a<-v3 "}));
}

TEST(AsOfPlanTest, StatesTheTargetNoLongerKeepsSayWhy) {
  const RecordHistory history = Journal()
                                    .Run({File("a", 1, 1), File("b", 1, 2)})
                                    .Run({File("a", 2, 3), File("b", 2, 4)}, {"a"})  // b lost
                                    .Prune({"v2"})
                                    .History();
  EXPECT_EQ(Shown(PlanAsOf(history, 0)), (std::vector<std::string>{"a<-lost:v2", "b<-lost:"}));
  EXPECT_EQ(Shown(PlanAsOf(history, 1)), (std::vector<std::string>{"a<-. ", "b<-. "}));
}

TEST(AsOfPlanTest, ACopyWithoutARecordedHashIsMatchedBySizeAndTime) {
  RecordedFile unknown = File("a", 7, 0);
  unknown.hashKnown = false;
  EXPECT_TRUE(SameRecordedBytes(unknown, File("a", 7, 9)));
  EXPECT_FALSE(SameRecordedBytes(unknown, File("a", 8, 9)));
  RecordedFile larger = File("a", 7, 9);
  larger.size = 11;
  EXPECT_FALSE(SameRecordedBytes(unknown, larger));
  // With both hashes known the hash decides, whatever the times say.
  EXPECT_FALSE(SameRecordedBytes(File("a", 7, 1), File("a", 7, 2)));
  EXPECT_TRUE(SameRecordedBytes(File("a", 7, 1), File("a", 9, 1)));
}

TEST(AsOfPlanTest, AMomentTypedToTheSecondTakesInARunThatEndedWithinIt) {
  const int64_t second = 1765000000;
  EXPECT_EQ(LastTickOfSecond(second), second * 10000000 + 9999999);
  EXPECT_EQ(TicksAsFileTime(second * 10000000 + 5000000), (FileTime{second, 500000000}));
}

}  // namespace
}  // namespace qs
