// A restore on real temporary trees: a DEST that is not an empty folder outside the target is
// refused before anything is written; as of a moment each file comes from the copy current
// then, by the record's runs where it has them and else by the folders' dates.
#include "engine/tree_restore.h"

#include <gtest/gtest.h>

#include <map>

#include "engine/as_of_plan.h"
#include "engine/record_notice.h"
#include "log/log_time.h"
#include "tests/engine/target_fixture.h"

namespace qs {
namespace {

using Files = std::map<std::string, std::string>;

constexpr char kV1[] = "backup_20261201_100000";
constexpr char kV2[] = "backup_20261201_110000";

class TreeRestoreTest : public test::TargetFixture {
 protected:
  /// a.txt: "a1" written 09:00, replaced at 10:00 (kV1); "a2" written 09:30, replaced at 11:00
  /// (kV2); "a3" written 10:30, current. sub/s.txt: current, written 09:00.
  void SetUp() override {
    MakeVersion(kV1);
    MakeVersion(kV2);
    Put(std::string("tgt/") + kV1 + "/a.txt", "a1", At(9, 0));
    Put(std::string("tgt/") + kV2 + "/a.txt", "a2", At(9, 30));
    Put("tgt/a.txt", "a3", At(10, 30));
    Put("tgt/sub/s.txt", "s", At(9, 0));
  }
  static FileTime At(int hour, int minute) { return Local(2026, 12, 1, hour, minute); }
  /// The runs that left the tree as SetUp makes it: ended 09:10, 10:00 and 11:00.
  void AppendRuns() {
    const RecordedFile s = Entry("sub/s.txt", "s", At(9, 0));
    const Listing one = {Entry("a.txt", "a1", At(9, 0)), s};
    const Listing two = {Entry("a.txt", "a2", At(9, 30)), s};
    const Listing three = {Entry("a.txt", "a3", At(10, 30)), s};
    AppendRun(1, {}, one, "", EndTicks(At(9, 10)));
    AppendRun(2, one, two, kV1, EndTicks(At(10, 0)));
    AppendRun(3, two, three, kV2, EndTicks(At(11, 0)));
  }
  static int64_t EndTicks(FileTime moment) { return moment.seconds * 10000000 + 5000000; }
  RestoreResults Restore(const std::string& dest, std::optional<FileTime> moment,
                         std::vector<std::string> paths = {}) {
    return RestoreTree(test::RealFs(), clock_, {dir_ / "tgt", dir_ / dest, paths, moment}, log_);
  }
  Files Restored(const std::string& dest) {
    Files files;
    for (const std::string& name : test::ListTree(dir_ / dest))
      files[name] = test::ReadFile(dir_ / (dest + "/" + name));
    return files;
  }
};

TEST_F(TreeRestoreTest, ADestThatIsNoEmptyFolderOutsideTheTargetIsRefused) {
  Put("file", "x", {});
  Put("full/x", "x", {});
  const auto target = test::ListTree(dir_ / "tgt");
  const std::map<std::string, std::string> refusals = {
      {"file", "DEST is not a folder: " + dir_ / "file"},
      {"full", "DEST is not empty: " + dir_ / "full"},
      {"tgt/new/deeper", "DEST lies inside TARGET, which a restore never writes"}};
  for (const auto& [dest, why] : refusals) {
    const RestoreResults results = Restore(dest, std::nullopt);
    EXPECT_TRUE(results.refused) << dest;
    EXPECT_EQ(results.why, why);
  }
  EXPECT_EQ(test::ListTree(dir_ / "tgt"), target);
  EXPECT_FALSE(test::Exists(dir_ / "tgt/new"));
  EXPECT_EQ(test::ReadFile(dir_ / "full/x"), "x");
  EXPECT_TRUE(lines_.empty());
  test::MakeDirs(dir_ / "empty");
  EXPECT_FALSE(Restore("empty", std::nullopt).refused);
}

TEST_F(TreeRestoreTest, AsOfAMomentATargetWithNeitherRecordNorVersionsIsRefused) {
  Put("bare/a.txt", "a", {});
  const RestoreRequest bare = {dir_ / "bare", dir_ / "out", {}, At(12, 0)};
  EXPECT_EQ(RestoreTree(test::RealFs(), clock_, bare, log_).why,
            "TARGET holds no version folders: " + dir_ / "bare");
  EXPECT_FALSE(test::Exists(dir_ / "out"));
}

TEST_F(TreeRestoreTest, ByTheFoldersDatesEachMomentGivesTheCopyCurrentThen) {
  const std::map<std::string, std::optional<FileTime>> moments = {
      {"now", std::nullopt}, {"at0915", At(9, 15)}, {"at1015", At(10, 15)}, {"at1200", At(12, 0)}};
  const Files a = {{"now", "a3"}, {"at0915", "a1"}, {"at1015", "a2"}, {"at1200", "a3"}};
  for (const auto& [dest, moment] : moments) {
    const RestoreResults results = Restore(dest, moment);
    EXPECT_EQ(results.ExitStatus(), 0) << dest;
    EXPECT_EQ(Restored(dest), (Files{{"a.txt", a.at(dest)}, {"sub/s.txt", "s"}})) << dest;
  }
  lines_.clear();
  Restore("again", At(10, 15));
  EXPECT_EQ(lines_, (std::vector<std::string>{
                        kNoRecordNotice, "Restored: a.txt (from " + std::string(kV2) + ")",
                        "Restored: " + test::Native("sub/s.txt") + " (from the current copy)",
                        "Restore completed: 2 restored, 0 left out, 0 failed."}));
}

TEST_F(TreeRestoreTest, WhatIsLeftOutOrNotKeptIsNamedAndAPathWithNothingFails) {
  RestoreResults results = Restore("early", At(8, 0));
  EXPECT_EQ(results.tally.leftOut, 2);
  EXPECT_EQ(results.ExitStatus(), 0);
  EXPECT_TRUE(Restored("early").empty());
  EXPECT_EQ(lines_[1].rfind("Left out, not yet in the backup at that moment: a.txt (written ", 0),
            0u);
  lines_.clear();
  results = Restore("some", std::nullopt, {"sub", "nope"});
  EXPECT_EQ(results.tally.restored, 1);
  EXPECT_EQ(results.tally.failed, 1);
  EXPECT_EQ(results.ExitStatus(), 1);
  EXPECT_EQ(Restored("some"), (Files{{"sub/s.txt", "s"}}));
  EXPECT_EQ(lines_, (std::vector<std::string>{
                        "Restored: " + test::Native("sub/s.txt") + " (from the current copy)",
                        "Nothing is kept under: nope",
                        "Restore completed: 1 restored, 0 left out, 1 failed."}));
}

TEST_F(TreeRestoreTest, WithARecordTheRunThatHadEndedByThenDecides) {
  AppendRuns();
  EXPECT_EQ(Restore("run2", At(10, 15)).ExitStatus(), 0);
  EXPECT_EQ(Restored("run2"), (Files{{"a.txt", "a2"}, {"sub/s.txt", "s"}}));
  const std::string ended = FileTimeText(TicksAsFileTime(EndTicks(At(10, 0))));
  EXPECT_EQ(lines_.front(),
            "Restoring the tree as the run that ended " + ended + " saw the source.");
  EXPECT_EQ(lines_[1], "Restored: a.txt (from " + std::string(kV2) + ")");
  // Before the first run the record holds, the folders' dates decide.
  lines_.clear();
  EXPECT_EQ(Restore("first", At(9, 5)).ExitStatus(), 0);
  EXPECT_EQ(Restored("first"), (Files{{"a.txt", "a1"}, {"sub/s.txt", "s"}}));
  EXPECT_EQ(lines_.front(), "The moment is before the first run the record holds, which ended " +
                                FileTimeText(TicksAsFileTime(EndTicks(At(9, 10)))) +
                                ": the dates of the version folders decide what is restored.");
}

TEST_F(TreeRestoreTest, TheEventsCarryTheReasonThePathsAndTheCounts) {
  Restore("early", At(9, 15), {"a.txt", "sub"});
  // sub/s.txt (09:00) comes from the current copy; a.txt's copy then, a1 of kV1, is restored.
  const auto restored = log_.Of(RunEventKind::kRestored);
  ASSERT_EQ(restored.size(), 2u);
  EXPECT_EQ(restored[0].path, "a.txt");
  EXPECT_EQ(restored[0].other, kV1);
  EXPECT_EQ(restored[1].path, test::Native("sub/s.txt"));
  EXPECT_EQ(restored[1].other, "");
  log_.Clear();
  Restore("earlier", At(8, 0), {"sub", "nope"});
  const auto left = log_.Of(RunEventKind::kLeftOut);
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].path, test::Native("sub/s.txt"));
  EXPECT_EQ(left[0].reason, LeftOutReason::kWrittenLater);
  EXPECT_EQ(left[0].moment, At(9, 0));
  const auto nothing = log_.Of(RunEventKind::kNothingKeptUnder);
  ASSERT_EQ(nothing.size(), 1u);
  EXPECT_EQ(nothing[0].path, "nope");
  EXPECT_EQ(log_.Of(RunEventKind::kNothingRestoredOf).at(0).path, "sub");
  ASSERT_EQ(log_.events.back().kind, RunEventKind::kRestoreCompleted);
  const RestoreCounts counts = log_.events.back().restore.value();
  EXPECT_EQ(counts.restored, 0);
  EXPECT_EQ(counts.leftOut, 1);
  EXPECT_EQ(counts.failed, 1);
  EXPECT_EQ(log_.events.front().kind, RunEventKind::kNoRecordKept);
}

}  // namespace
}  // namespace qs
