#include "engine/record_history.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

RecordedFile File(std::string path, int64_t seconds, uint64_t hash) {
  return {std::move(path), 10, {seconds, 0}, true, {hash, hash}};
}

/// A journal of runs, each given as its whole listing; `saved` names the paths whose old copy
/// each run kept in its version folder "v<number>".
class HistoryBuilder {
 public:
  HistoryBuilder& Run(const Listing& listing, const std::vector<std::string>& saved = {},
                      bool whole = false) {
    RunFact run;
    run.number = ++number_;
    run.startTicks = number_ * 100;
    run.endTicks = number_ * 100 + 50;
    run.versionFolder = saved.empty() ? "" : "v" + std::to_string(number_);
    run.fullListing = whole;
    run.changes = whole ? AsChanges(listing) : Diff(last_, listing);
    for (ListingChange& change : run.changes)
      change.versionSaved = std::find(saved.begin(), saved.end(), change.file.path) != saved.end();
    bytes_ += EncodeFrame(FrameKind::kRun, EncodeRun(run));
    last_ = listing;
    return *this;
  }
  HistoryBuilder& Prune(const std::vector<std::string>& folders) {
    bytes_ += EncodeFrame(FrameKind::kPrune, EncodePrune({0, folders}));
    return *this;
  }
  HistoryBuilder& Learn(CheckedCopy copy, ContentHash hash) {
    CheckFact check;
    check.learned = {{std::move(copy), hash}};
    bytes_ += EncodeFrame(FrameKind::kCheck, EncodeCheck(check));
    return *this;
  }
  std::string bytes() const { return bytes_; }
  RecordHistory History() const { return RecordHistory::From(ReadJournal(bytes_)); }

 private:
  uint64_t number_ = 0;
  Listing last_;
  std::string bytes_ = std::string(kJournalMagic);
};

TEST(RecordHistoryTest, TheListingOfEveryRunIsRebuiltWholeListingsOrNot) {
  const Listing one = {File("a", 1, 1), File("b", 1, 2)};
  const Listing two = {File("a", 2, 3), File("c", 1, 4)};
  const Listing three = {File("c", 1, 4)};
  const Listing four = {File("c", 2, 5), File("d", 1, 6)};
  const RecordHistory history =
      HistoryBuilder().Run(one).Run(two).Run(three, {}, true).Run(four).History();
  ASSERT_EQ(history.runs().size(), 4u);
  EXPECT_EQ(history.ListingAfter(0), one);
  EXPECT_EQ(history.ListingAfter(1), two);
  EXPECT_EQ(history.ListingAfter(2), three);
  EXPECT_EQ(history.ListingAfter(3), four);
  EXPECT_EQ(history.Latest(), four);
  EXPECT_EQ(history.ChangesSinceFullListing(), 2u);
}

TEST(RecordHistoryTest, AFileGoneAndBackAfterAWholeListingIsRebuiltAsEachRunLeftIt) {
  const std::vector<Listing> listings = {
      {File("a", 1, 1), File("b", 1, 2)},
      {File("a", 1, 1)},
      {File("a", 2, 3), File("b", 3, 4)},
      {File("b", 3, 4)},
      {File("a", 4, 5), File("b", 3, 4), File("c", 1, 6)},
  };
  HistoryBuilder builder;
  for (const Listing& listing : listings) builder.Run(listing, {}, &listing == &listings[0]);
  const RecordHistory history = builder.History();
  for (size_t i = 0; i < listings.size(); ++i) EXPECT_EQ(history.ListingAfter(i), listings[i]) << i;
  EXPECT_EQ(history.ChangesSinceFullListing(), 1u + 2u + 1u + 2u);
}

TEST(RecordHistoryTest, TheRunAsOfAMomentIsTheLastThatHadEnded) {
  const RecordHistory history = HistoryBuilder().Run({}).Run({}).Run({}).History();
  EXPECT_FALSE(history.LastRunEndedBy(149).has_value());
  EXPECT_EQ(history.LastRunEndedBy(150), 0u);
  EXPECT_EQ(history.LastRunEndedBy(249), 0u);
  EXPECT_EQ(history.LastRunEndedBy(1000), 2u);
}

TEST(RecordHistoryTest, CopiesAreTheCurrentTreeAndWhatVersionFoldersKeep) {
  const RecordHistory history = HistoryBuilder()
                                    .Run({File("a", 1, 1), File("b", 1, 2)})
                                    .Run({File("a", 2, 3), File("b", 2, 4)}, {"a"})
                                    .Run({File("a", 3, 5)}, {"a"})
                                    .History();
  const std::vector<RecordedCopy> copies = history.Copies();
  // Current: a (third state) and b (deleted from the source, its copy stays); versions:
  // a's first state in v2, a's second in v3. b's first state was overwritten unsaved.
  ASSERT_EQ(copies.size(), 4u);
  EXPECT_EQ(copies[0].file, File("a", 3, 5));
  EXPECT_EQ(copies[1].file, File("b", 2, 4));
  EXPECT_EQ(copies[2].folder, "v2");
  EXPECT_EQ(copies[2].file, File("a", 1, 1));
  EXPECT_EQ(copies[2].firstRun, 1u);
  EXPECT_EQ(copies[2].replacedBy, 2u);
  EXPECT_EQ(copies[3].folder, "v3");
  EXPECT_EQ(copies[3].file, File("a", 2, 3));
}

TEST(RecordHistoryTest, AFileHistorySaysWhereEachStateIsKept) {
  const RecordHistory history = HistoryBuilder()
                                    .Run({File("a", 1, 1)})
                                    .Run({File("a", 2, 2)})
                                    .Run({File("a", 3, 3)}, {"a"})
                                    .Run({File("a", 3, 3)})
                                    .Prune({"v3"})
                                    .History();
  const std::vector<RecordedCopy> states = history.HistoryOf("a");
  ASSERT_EQ(states.size(), 3u);
  EXPECT_FALSE(states[0].kept);  // overwritten without versioning
  EXPECT_EQ(states[0].replacedBy, 2u);
  EXPECT_FALSE(states[1].kept);  // its version folder was pruned
  EXPECT_EQ(states[1].folder, "v3");
  EXPECT_TRUE(states[2].kept);
  EXPECT_EQ(states[2].firstRun, 3u);
  EXPECT_EQ(states[2].replacedBy, 0u);
  EXPECT_EQ(history.Copies().size(), 1u);
}

TEST(RecordHistoryTest, HashesACheckLearntFillTheCopiesThatLackedThem) {
  RecordedFile unhashed{"a", 10, {1, 0}, false, {}};
  const RecordHistory history = HistoryBuilder().Run({unhashed}).Learn({"", "a"}, {9, 9}).History();
  ASSERT_EQ(history.Latest().size(), 1u);
  EXPECT_TRUE(history.Latest()[0].hashKnown);
  EXPECT_EQ(history.Latest()[0].hash, (ContentHash{9, 9}));
  EXPECT_TRUE(history.Copies()[0].file.hashKnown);
}

TEST(RecordHistoryTest, ATornEndIsLeftOutAndSaidSo) {
  const std::string whole = HistoryBuilder().Run({File("a", 1, 1)}).Run({File("a", 2, 2)}).bytes();
  const RecordHistory history =
      RecordHistory::From(ReadJournal(std::string_view(whole).substr(0, whole.size() - 3)));
  EXPECT_TRUE(history.damaged());
  ASSERT_EQ(history.runs().size(), 1u);
  EXPECT_EQ(history.Latest(), (Listing{File("a", 1, 1)}));
}

TEST(RecordHistoryTest, AFrameThatCannotBeDecodedEndsTheHistory) {
  std::string bytes = HistoryBuilder().Run({File("a", 1, 1)}).bytes();
  bytes += EncodeFrame(FrameKind::kRun, "\x01garbage");
  bytes += EncodeFrame(FrameKind::kPrune, EncodePrune({0, {"v1"}}));
  const RecordHistory history = RecordHistory::From(ReadJournal(bytes));
  EXPECT_TRUE(history.damaged());
  EXPECT_EQ(history.runs().size(), 1u);
  EXPECT_TRUE(history.prunes().empty());
}

}  // namespace
}  // namespace qs
