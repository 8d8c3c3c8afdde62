// A file's distinct copies by the record: the same bytes once, wherever they are kept, with
// the runs that first held them and last replaced them.
#include "engine/distinct_copies.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qs {
namespace {

RecordedFile File(int64_t seconds, uint64_t hash) {
  return {"a", 10, {seconds, 0}, true, {hash, hash}};
}

/// Runs of the one file "a"; each run ends at its number times 100, and saves the copy it
/// replaces in "v<number>" when asked.
class Journal {
 public:
  Journal& Run(const RecordedFile& file, bool saved = false) {
    RunFact run;
    run.number = ++number_;
    run.endTicks = number_ * 100;
    run.versionFolder = saved ? "v" + std::to_string(number_) : "";
    run.changes = Diff(last_, {file});
    for (ListingChange& change : run.changes) change.versionSaved = saved;
    bytes_ += EncodeFrame(FrameKind::kRun, EncodeRun(run));
    last_ = {file};
    return *this;
  }
  Journal& Prune(const std::string& folder) {
    bytes_ += EncodeFrame(FrameKind::kPrune, EncodePrune({0, {folder}}));
    return *this;
  }
  std::vector<DistinctCopy> Copies() const {
    return DistinctCopiesOf(RecordHistory::From(ReadJournal(bytes_)), "a");
  }

 private:
  uint64_t number_ = 0;
  Listing last_;
  std::string bytes_ = std::string(kJournalMagic);
};

/// "hash first-replaced places" for each copy.
std::vector<std::string> Shown(const std::vector<DistinctCopy>& copies) {
  std::vector<std::string> shown;
  for (const DistinctCopy& copy : copies) {
    std::string line = std::to_string(copy.file.hash.low) + " " +
                       std::to_string(copy.firstBackedUp) + "-" +
                       (copy.replaced ? std::to_string(*copy.replaced) : "now");
    for (const std::string& place : copy.keptIn) line += " " + (place.empty() ? "." : place);
    shown.push_back(line);
  }
  return shown;
}

TEST(DistinctCopiesTest, TheSameBytesAreOneCopyWhereverTheyAreKept) {
  // Unchanged reruns, then other bytes, then the first bytes moved back in.
  const Journal journal = Journal()
                              .Run(File(5, 1))
                              .Run(File(5, 1))
                              .Run(File(6, 2), true)
                              .Run(File(6, 2))
                              .Run(File(5, 1), true);
  EXPECT_EQ(Shown(journal.Copies()), (std::vector<std::string>{"1 100-now . v3", "2 300-500 v5"}));
}

TEST(DistinctCopiesTest, CopiesKeptNowhereAreNotListedAsKept) {
  const Journal overwritten = Journal().Run(File(1, 1)).Run(File(2, 2)).Run(File(3, 3), true);
  EXPECT_EQ(Shown(overwritten.Copies()),
            (std::vector<std::string>{"3 300-now .", "2 200-300 v3", "1 100-200"}));
  Journal pruned = Journal().Run(File(1, 1)).Run(File(2, 2), true).Run(File(3, 3), true);
  pruned.Prune("v2");
  EXPECT_EQ(Shown(pruned.Copies()),
            (std::vector<std::string>{"3 300-now .", "2 200-300 v3", "1 100-200"}));
}

TEST(DistinctCopiesTest, ACopyWhoseHashWasNotKnownIsOneWithTheSameSizeAndTime) {
  RecordedFile found = File(5, 0);
  found.hashKnown = false;  // found in place by the first run with a record
  const Journal journal = Journal().Run(found).Run(File(5, 7)).Run(File(6, 8), true);
  const std::vector<DistinctCopy> copies = journal.Copies();
  EXPECT_EQ(Shown(copies), (std::vector<std::string>{"8 300-now .", "7 100-300 v3"}));
  ASSERT_EQ(copies.size(), 2u);
  EXPECT_TRUE(copies[1].file.hashKnown);
}

}  // namespace
}  // namespace qs
