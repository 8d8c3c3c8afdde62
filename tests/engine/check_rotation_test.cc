#include "engine/check_rotation.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

namespace qs {
namespace {

/// A record grown run by run and check by check, as backups and checks would grow it: each
/// check reads what PlanCheck says and appends the fact the check would.
class Rotation {
 public:
  explicit Rotation(int percent) : percent_(percent) {}

  /// A run that puts `files` (path -> size), saving the old copies of `saved` into its
  /// version folder.
  void Run(const std::map<std::string, uint64_t>& files, const std::set<std::string>& saved = {}) {
    Listing after = listing_;
    for (const auto& [path, size] : files) {
      const RecordedFile file{path, size, {++time_, 0}, true, {Hash(), Hash()}};
      auto at = std::find_if(after.begin(), after.end(),
                             [&](const RecordedFile& f) { return f.path == path; });
      if (at != after.end())
        *at = file;
      else
        after.push_back(file);
    }
    Normalize(&after);
    RunFact run;
    run.number = ++runs_;
    run.versionFolder = saved.empty() ? "" : "v" + std::to_string(1000 + runs_);
    run.changes = Diff(listing_, after);
    for (ListingChange& change : run.changes) change.versionSaved = saved.count(change.file.path);
    journal_ += EncodeFrame(FrameKind::kRun, EncodeRun(run));
    listing_ = after;
  }

  /// One check (with another budget when `percent` is given): what it read, by the copies'
  /// identities.
  std::set<std::string> Check(CheckPlan* out = nullptr, int percent = 0) {
    const RecordHistory history = RecordHistory::From(ReadJournal(journal_));
    const std::vector<RecordedCopy> copies = history.Copies();
    const CheckPlan plan = PlanCheck(history, copies, percent ? percent : percent_);
    std::set<std::string> read;
    for (size_t index : plan.read) read.insert(Identity(copies[index]));
    present_.push_back({});
    for (const RecordedCopy& copy : copies)
      present_.back()[Identity(copy)] = copy.folder.empty() ? copy.firstRun : copy.replacedBy;
    runsBefore_.push_back(runs_);
    reads_.push_back(read);
    CheckFact fact;
    fact.bytesRead = plan.bytesToRead;
    fact.bytesInAll = plan.bytesInAll;
    fact.cycle = plan.cycle;
    fact.resumeAt = plan.resumeAt;
    fact.wrapped = plan.wrapped;
    journal_ += EncodeFrame(FrameKind::kCheck, EncodeCheck(fact));
    if (out) *out = plan;
    return read;
  }

  /// Every copy that was there for RotationLength checks in a row was read in one of them;
  /// the first copy found unread, or "".
  std::string FirstUnreadCopy() const {
    const size_t length = static_cast<size_t>(RotationLength(percent_));
    for (size_t last = length - 1; last < reads_.size(); ++last) {
      const size_t first = last + 1 - length;
      for (const auto& [copy, arrived] : present_[last]) {
        if (arrived > runsBefore_[first]) continue;
        bool read = false;
        for (size_t c = first; c <= last; ++c) read = read || reads_[c].count(copy) > 0;
        if (!read)
          return copy + " unread in checks " + std::to_string(first) + " to " +
                 std::to_string(last);
      }
    }
    return "";
  }

 private:
  uint64_t Hash() const { return static_cast<uint64_t>(time_); }
  static std::string Identity(const RecordedCopy& copy) {
    return copy.folder + "|" + copy.file.path + "|" + std::to_string(copy.firstRun);
  }

  const int percent_;
  std::string journal_ = std::string(kJournalMagic);
  Listing listing_;
  uint64_t runs_ = 0;
  int64_t time_ = 100;
  std::vector<std::map<std::string, uint64_t>> present_;
  std::vector<uint64_t> runsBefore_;
  std::vector<std::set<std::string>> reads_;
};

std::string Name(int i) {
  char name[16];
  std::snprintf(name, sizeof name, "f%05d", i);
  return name;
}

TEST(CheckRotationTest, AStillTargetIsReadInItsShareEachCheckAndWhollyOnceARotation) {
  for (int percent : {100, 50, 34, 25, 10, 7, 1}) {
    SCOPED_TRACE(percent);
    Rotation rotation(percent);
    std::map<std::string, uint64_t> files;
    for (int i = 0; i < 200; ++i) files[Name(i)] = 1000 + i;
    rotation.Run(files);
    const int length = RotationLength(percent);
    std::map<std::string, int> times_read;
    int since_wrap = 0;
    uint64_t wraps = 0;
    for (int c = 0; c < 3 * length; ++c) {
      CheckPlan plan;
      const std::set<std::string> read = rotation.Check(&plan);
      // About the share: at least it, and less than one copy more.
      const uint64_t share = (plan.bytesInAll * percent + 99) / 100;
      EXPECT_GE(plan.bytesToRead, share);
      EXPECT_LT(plan.bytesToRead, share + 1200);
      for (const std::string& copy : read) ++times_read[copy];
      EXPECT_EQ(plan.cycle, wraps);
      ++since_wrap;
      if (plan.wrapped) {
        // No rotation takes more checks than promised.
        EXPECT_LE(since_wrap, length) << c;
        since_wrap = 0;
        ++wraps;
      }
    }
    EXPECT_EQ(wraps, 3u);
    // Three rotations read each copy three times, give or take the copies where the last one
    // stopped.
    ASSERT_EQ(times_read.size(), 200u);
    for (const auto& [copy, times] : times_read) {
      EXPECT_GE(times, 3) << copy;
      EXPECT_LE(times, 4) << copy;
    }
    EXPECT_EQ(rotation.FirstUnreadCopy(), "");
  }
}

TEST(CheckRotationTest, EveryCopyIsReadWithinARotationWhileRunsAddAndReplaceCopies) {
  std::mt19937 random(7);
  for (int percent : {50, 34, 25, 20, 10, 3}) {
    SCOPED_TRACE(percent);
    Rotation rotation(percent);
    int next = 0;
    for (int step = 0; step < 120; ++step) {
      std::map<std::string, uint64_t> files;
      std::set<std::string> saved;
      // New files anywhere in the order, now and then one far larger than all the rest,
      // which a share of the bytes alone would spend a whole check on.
      const int added = static_cast<int>(random() % 12);
      for (int i = 0; i < added; ++i) {
        const int at = static_cast<int>(random() % 100000);
        files[Name(at)] = random() % 7 == 0 ? 5000000 : 1 + random() % 5000;
        ++next;
      }
      // Old files rewritten, some with their old copy kept in a version folder.
      if (step > 0 && random() % 3 == 0) {
        const std::string path = Name(static_cast<int>(random() % 100000));
        files[path] = 10 + random() % 100;
        if (random() % 2) saved.insert(path);
      }
      if (!files.empty()) rotation.Run(files, saved);
      rotation.Check();
    }
    EXPECT_GT(next, 300);
    EXPECT_EQ(rotation.FirstUnreadCopy(), "");
  }
}

TEST(CheckRotationTest, ACheckResumesWhereTheLastStoppedAndSkipsCopiesThatAreGone) {
  Rotation rotation(25);
  std::map<std::string, uint64_t> files;
  for (int i = 0; i < 8; ++i) files[Name(i)] = 100;
  rotation.Run(files);
  EXPECT_EQ(rotation.Check(), (std::set<std::string>{"|f00000|1", "|f00001|1"}));
  EXPECT_EQ(rotation.Check(), (std::set<std::string>{"|f00002|1", "|f00003|1"}));
  // A copy put before the resume point waits for the next rotation; one after it is read in
  // its turn.
  rotation.Run({{"e", 100}, {"f00004a", 100}});
  EXPECT_EQ(rotation.Check(), (std::set<std::string>{"|f00004|1", "|f00004a|2", "|f00005|1"}));
}

TEST(CheckRotationTest, ACheckThatReadsEveryCopyLeavesTheNextRotationToStartAfresh) {
  Rotation rotation(40);
  std::map<std::string, uint64_t> files;
  for (int i = 0; i < 5; ++i) files[Name(i)] = 100;
  rotation.Run(files);
  CheckPlan plan;
  rotation.Check(&plan);
  EXPECT_EQ(plan.resumeAt, (CheckedCopy{"", "f00002"}));
  rotation.Check(&plan, 100);
  EXPECT_TRUE(plan.wrapped);
  EXPECT_EQ(plan.resumeAt, (CheckedCopy{"", "f00000"}));
  EXPECT_EQ(plan.read, (std::vector<size_t>{0, 1, 2, 3, 4}));
  rotation.Check(&plan);
  EXPECT_EQ(plan.read, (std::vector<size_t>{0, 1}));
}

TEST(CheckRotationTest, NoCopiesMakeAnEmptyPlan) {
  const RecordHistory history = RecordHistory::From(ReadJournal(std::string(kJournalMagic)));
  const CheckPlan plan = PlanCheck(history, {}, 10);
  EXPECT_TRUE(plan.read.empty());
  EXPECT_EQ(plan.bytesInAll, 0u);
  EXPECT_EQ(RotationLength(100), 1);
  EXPECT_EQ(RotationLength(34), 3);
  EXPECT_EQ(RotationLength(33), 4);
  EXPECT_EQ(RotationLength(1), 100);
}

}  // namespace
}  // namespace qs
