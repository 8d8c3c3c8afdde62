// The copy a restore takes as of a moment: the one the backup held then, over made-up
// histories of one file (each version folder's copy was current until its run replaced it).
#include "engine/held_copy.h"

#include <gtest/gtest.h>

#include <map>

#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::Seconds;

/// Says by when each current copy was put in place, as a file's change time does.
class PlacedFileSystem : public test::ForwardingFileSystem {
 public:
  PathInfo Stat(const std::string& path) override {
    PathInfo info;
    info.kind = PathKind::File;
    if (const auto at = placed.find(path); at != placed.end()) info.inPlaceBy = at->second;
    return info;
  }
  std::map<std::string, FileTime> placed;
};

KeptCopy Current(int64_t written) { return {"current", "", Seconds(written), 1, std::nullopt}; }
KeptCopy Replaced(const std::string& name, int64_t written, int64_t replaced) {
  return {name, name, Seconds(written), 1, Seconds(replaced)};
}

class HeldCopyTest : public ::testing::Test {
 protected:
  /// The path of the copy taken, or the reason it is left out.
  std::string HeldAt(std::optional<FileTime> moment) {
    const HeldCopy held = CopyHeldAt(fs_, copies_, moment);
    if (held.copy != nullptr) return held.copy->path;
    switch (held.reason) {
      case LeftOutReason::kWrittenLater:
        return "written later (" + held.candidate->path + ")";
      case LeftOutReason::kNoCopyThen:
        return "no copy then";
      case LeftOutReason::kNoCurrentCopy:
        return "no current copy";
      default:
        return "?";
    }
  }

  PlacedFileSystem fs_;
  std::vector<KeptCopy> copies_;
};

TEST_F(HeldCopyTest, TheOldestFolderReplacedAfterTheMomentHoldsTheCopyOfThen) {
  // Written at 1000, replaced at 1500 by the copy written at 1400, itself replaced at 2500 by
  // the current one, written at 2400. In any order.
  copies_ = {Replaced("v2", 1400, 2500), Current(2400), Replaced("v1", 1000, 1500)};
  EXPECT_EQ("written later (v1)", HeldAt(Seconds(999)));  // before the first copy was written
  EXPECT_EQ("v1", HeldAt(Seconds(1000)));
  EXPECT_EQ("v1", HeldAt(Seconds(1499)));
  EXPECT_EQ("v2", HeldAt(Seconds(1500)));  // replaced at that second: no longer held
  EXPECT_EQ("v2", HeldAt(Seconds(2499)));
  EXPECT_EQ("current", HeldAt(Seconds(2500)));
  EXPECT_EQ("current", HeldAt(Seconds(1000000)));
  EXPECT_EQ("current", HeldAt(std::nullopt));
  copies_.clear();
  EXPECT_EQ("no copy then", HeldAt(Seconds(5000)));
}

TEST_F(HeldCopyTest, AFileReplacedByAnOlderOneAfterTheMomentComesBackAsItWasThen) {
  // At 1500 the backup held the copy written at 1000; at 2000 a run replaced it by a download
  // last written at 1200 (moved in with its old time). The newest copy written by 1500 is the
  // download, which the backup did not hold then.
  copies_ = {Current(1200), Replaced("v", 1000, 2000)};
  EXPECT_EQ("v", HeldAt(Seconds(1500)));
  EXPECT_EQ("current", HeldAt(Seconds(2000)));
}

TEST_F(HeldCopyTest, ACopyWhoseClockRanAheadIsHeldFromWhenItWasInPlace) {
  // A camera's clock years ahead: backed up (put in place) at 1000, written "at" 1e9.
  copies_ = {Current(1000000000)};
  fs_.placed["current"] = Seconds(1000);
  EXPECT_EQ("current", HeldAt(Seconds(1500)));
  EXPECT_EQ("current", HeldAt(Seconds(1000)));
  EXPECT_EQ("written later (current)", HeldAt(Seconds(999)));  // not in place yet
  // A copy written after it was replaced had a clock ahead as well.
  copies_ = {Current(3000), Replaced("v", 1000000000, 2000)};
  EXPECT_EQ("v", HeldAt(Seconds(1500)));
  // With no time of placing, a time ahead is taken at its word.
  copies_ = {Current(1000000000)};
  fs_.placed.clear();
  EXPECT_EQ("written later (current)", HeldAt(Seconds(1500)));
  // A copy placed before it was written is an ordinary one: left out before it was written.
  copies_ = {Current(1200)};
  fs_.placed["current"] = Seconds(1300);
  EXPECT_EQ("written later (current)", HeldAt(Seconds(1100)));
}

TEST_F(HeldCopyTest, AFileOnlyVersionFoldersHoldIsLeftOutWithoutAMoment) {
  copies_ = {Replaced("v", 1000, 2000)};
  EXPECT_EQ("no current copy", HeldAt(std::nullopt));
  EXPECT_EQ("v", HeldAt(Seconds(1500)));
  EXPECT_EQ("no copy then", HeldAt(Seconds(2000)));
}

}  // namespace
}  // namespace qs
