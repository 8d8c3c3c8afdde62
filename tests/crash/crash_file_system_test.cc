// The crash double keeps what a disk keeps: names only once their folder (or the volume) is
// flushed, data only once its file is, the sources always; and each crash state boots anew.
#include "tests/support/crash_file_system.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "engine/file_copy.h"
#include "tests/support/crash_states.h"
#include "tests/support/test_support.h"

namespace qs::test {
namespace {

std::string ContentAt(const CrashImage& image, const std::string& path) {
  const uint64_t node = image.Resolve(Native(path));
  return node == kNoNode ? "<missing>" : image.node(node).data;
}

class CrashFileSystemTest : public ::testing::Test {
 protected:
  explicit CrashFileSystemTest(bool whole_volume = false)
      : fs_({.stableRoots = {Native("/src")}, .wholeVolumeFlush = whole_volume}) {
    fs_.PutFile(Native("/src/a.txt"), "source bytes", Seconds(1700000000));
    fs_.PutFile(Native("/dst/keep.txt"), "old", Seconds(1600000000));
  }

  /// A copy of /src/a.txt into /dst/a.txt, prepared and published; flushed when asked.
  void CopyA(bool flush) {
    std::unique_ptr<PendingCopy> copy = fs_.PrepareCopy(Native("/src/a.txt"), Native("/dst/a.txt"));
    ASSERT_NE(copy, nullptr);
    if (flush) {
      ASSERT_TRUE(copy->Flush());
    }
    ASSERT_TRUE(copy->Publish());
  }

  CrashImage AllDropped() { return fs_.ImageAt(fs_.CallCount(), {}); }

  CrashFileSystem fs_;
};

TEST_F(CrashFileSystemTest, NameLastsOnlyOnceItsFolderIsFlushed) {
  CopyA(true);
  EXPECT_EQ(ContentAt(fs_.Live(), "/dst/a.txt"), "source bytes");
  EXPECT_EQ(ContentAt(AllDropped(), "/dst/a.txt"), "<missing>");
  EXPECT_EQ(ContentAt(AllDropped(), "/dst/keep.txt"), "old");
  ASSERT_TRUE(fs_.SyncDirectory(Native("/dst")));
  EXPECT_EQ(ContentAt(AllDropped(), "/dst/a.txt"), "source bytes");
  const uint64_t node = AllDropped().Resolve(Native("/dst/a.txt"));
  EXPECT_EQ(AllDropped().node(node).lastWrite, Seconds(1700000000));
}

TEST_F(CrashFileSystemTest, DataPublishedBeforeItsFlushCanBeLostUnderADurableName) {
  CopyA(false);
  ASSERT_TRUE(fs_.SyncDirectory(Native("/dst")));
  const CrashImage crashed = AllDropped();
  const uint64_t node = crashed.Resolve(Native("/dst/a.txt"));
  ASSERT_NE(node, kNoNode);
  EXPECT_EQ(crashed.node(node).data, "");
  // Dated by the disk's clock, later than the source: a later run would skip it.
  EXPECT_GT(crashed.node(node).lastWrite, Seconds(1700000000));
}

TEST_F(CrashFileSystemTest, SourcesNeverCrash) {
  fs_.PutFile(Native("/src/b.txt"), "b", Seconds(5));
  ASSERT_TRUE(fs_.Rename(Native("/src/b.txt"), Native("/src/c.txt")));
  EXPECT_EQ(ContentAt(AllDropped(), "/src/c.txt"), "b");
  EXPECT_EQ(ContentAt(AllDropped(), "/src/b.txt"), "<missing>");
  EXPECT_EQ(fs_.Stat(Native("/src/c.txt")).volume, kStableVolume);
  EXPECT_EQ(fs_.Stat(Native("/dst/keep.txt")).volume, kCrashVolume);
}

TEST_F(CrashFileSystemTest, WithoutAWholeVolumeFlushSyncVolumeFailsAndKeepsNothing) {
  CopyA(true);
  EXPECT_FALSE(fs_.SyncVolume(Native("/dst")));
  EXPECT_EQ(fs_.LastErrorCode(), static_cast<uint32_t>(EOPNOTSUPP));
  EXPECT_EQ(ContentAt(AllDropped(), "/dst/a.txt"), "<missing>");
}

TEST_F(CrashFileSystemTest, RenameNeverReplacesAndIsUndoneByACrash) {
  ASSERT_TRUE(fs_.WriteWholeFile(Native("/dst/other.txt"), "x"));
  EXPECT_FALSE(fs_.Rename(Native("/dst/keep.txt"), Native("/dst/other.txt")));
  EXPECT_EQ(fs_.LastErrorCode(), static_cast<uint32_t>(EEXIST));
  ASSERT_TRUE(fs_.Rename(Native("/dst/keep.txt"), Native("/dst/moved.txt")));
  EXPECT_EQ(ContentAt(fs_.Live(), "/dst/moved.txt"), "old");
  EXPECT_EQ(ContentAt(AllDropped(), "/dst/keep.txt"), "old");
  EXPECT_EQ(ContentAt(AllDropped(), "/dst/moved.txt"), "<missing>");
}

TEST_F(CrashFileSystemTest, ANthCallFailsWithItsCodeAndChangesNothing) {
  fs_.FailNth(CrashCall::kFlush, 2, EIO);
  CopyA(true);
  std::unique_ptr<PendingCopy> copy = fs_.PrepareCopy(Native("/src/a.txt"), Native("/dst/b.txt"));
  ASSERT_NE(copy, nullptr);
  EXPECT_FALSE(copy->Flush());
  EXPECT_EQ(fs_.LastErrorCode(), static_cast<uint32_t>(EIO));
  ASSERT_TRUE(copy->Publish());
  ASSERT_TRUE(fs_.SyncDirectory(Native("/dst")));
  EXPECT_EQ(ContentAt(AllDropped(), "/dst/a.txt"), "source bytes");
  EXPECT_EQ(ContentAt(AllDropped(), "/dst/b.txt"), "");
  EXPECT_TRUE(copy->Flush());  // the next one works again
}

TEST_F(CrashFileSystemTest, TornWritesKeepAPrefixOrZerosOfTheirLength) {
  CopyA(false);
  const uint64_t point = fs_.CallCount();
  const std::vector<bool> writes = fs_.PendingWritesAt(point);
  ASSERT_EQ(writes, (std::vector<bool>{true, false, false}));  // write, time, name
  const std::vector<Fate> prefix = {Fate::kTornPrefix, Fate::kKeep, Fate::kKeep};
  EXPECT_EQ(ContentAt(fs_.ImageAt(point, prefix), "/dst/a.txt"), "source");
  const std::vector<Fate> zeros = {Fate::kTornZeros, Fate::kKeep, Fate::kKeep};
  EXPECT_EQ(ContentAt(fs_.ImageAt(point, zeros), "/dst/a.txt"), std::string(12, '\0'));
}

TEST_F(CrashFileSystemTest, AnAppendMayTearOnlyTheBytesItAddsUntilItsFlush) {
  ASSERT_TRUE(fs_.AppendToFile(Native("/dst/keep.txt"), "+new"));
  const std::vector<CrashCall> calls = fs_.Calls();
  ASSERT_EQ(calls, (std::vector<CrashCall>{CrashCall::kAppendToFile, CrashCall::kFlush}));
  const uint64_t inside = 1;  // the bytes written, not yet flushed
  ASSERT_EQ(fs_.PendingWritesAt(inside), (std::vector<bool>{true}));
  EXPECT_EQ(ContentAt(fs_.ImageAt(inside, {}), "/dst/keep.txt"), "old");
  EXPECT_EQ(ContentAt(fs_.ImageAt(inside, {Fate::kTornPrefix}), "/dst/keep.txt"), "old+n");
  EXPECT_EQ(ContentAt(fs_.ImageAt(inside, {Fate::kTornZeros}), "/dst/keep.txt"),
            "old" + std::string(4, '\0'));
  EXPECT_EQ(ContentAt(AllDropped(), "/dst/keep.txt"), "old+new");
}

TEST_F(CrashFileSystemTest, ACrashPointSeesOnlyTheCallsBeforeIt) {
  const uint64_t before = fs_.CallCount();
  CopyA(true);
  ASSERT_TRUE(fs_.SyncDirectory(Native("/dst")));
  EXPECT_EQ(fs_.PendingWritesAt(before).size(), 0u);
  EXPECT_EQ(ContentAt(fs_.ImageAt(before, {}), "/dst/a.txt"), "<missing>");
  EXPECT_EQ(fs_.Calls().back(), CrashCall::kSyncDirectory);
  EXPECT_TRUE(IsDurabilityCall(fs_.Calls().back()));
  EXPECT_FALSE(IsDurabilityCall(CrashCall::kPublish));
}

TEST_F(CrashFileSystemTest, ARebootStartsFromTheCrashStateWithNothingPending) {
  CopyA(true);
  const uint64_t point = fs_.CallCount();
  std::unique_ptr<CrashFileSystem> rebooted = fs_.Reboot(
      fs_.ImageAt(point, std::vector<Fate>(fs_.PendingWritesAt(point).size(), Fate::kKeep)));
  EXPECT_EQ(rebooted->CallCount(), 0u);
  EXPECT_EQ(rebooted->Stat(Native("/dst/a.txt")).size, 12u);
  EXPECT_EQ(ContentAt(rebooted->ImageAt(rebooted->CallCount(), {}), "/dst/a.txt"), "source bytes");
}

TEST_F(CrashFileSystemTest, FoldersMadeByTheEngineLastOnlyWithTheirParents) {
  ASSERT_TRUE(EnsureDirectory(fs_, Native("/dst/x/y")));
  ASSERT_TRUE(fs_.SyncDirectory(Native("/dst/x/y")));
  ASSERT_TRUE(fs_.SyncDirectory(Native("/dst/x")));
  EXPECT_EQ(AllDropped().Resolve(Native("/dst/x")), kNoNode);  // /dst was not flushed yet
  ASSERT_TRUE(fs_.SyncDirectory(Native("/dst")));
  EXPECT_NE(AllDropped().Resolve(Native("/dst/x/y")), kNoNode);
}

class WholeVolumeCrashTest : public CrashFileSystemTest {
 protected:
  WholeVolumeCrashTest() : CrashFileSystemTest(true) {}
};

TEST_F(WholeVolumeCrashTest, SyncVolumeMakesEverythingDurable) {
  CopyA(false);
  ASSERT_TRUE(EnsureDirectory(fs_, Native("/dst/x")));
  ASSERT_TRUE(fs_.SyncVolume(Native("/dst")));
  EXPECT_EQ(ContentAt(AllDropped(), "/dst/a.txt"), "source bytes");
  EXPECT_NE(AllDropped().Resolve(Native("/dst/x")), kNoNode);
}

TEST(CrashStatesTest, PrefixesTornWritesAndSeededSubsetsNoTwoAlike) {
  const std::vector<bool> writes = {true, false, true, false};
  const std::vector<CrashState> states = CrashStatesFor(writes, {.randomSubsets = 20}, 7);
  std::set<std::vector<Fate>> seen;
  for (const CrashState& state : states) {
    EXPECT_EQ(state.fates.size(), 4u);
    EXPECT_TRUE(seen.insert(state.fates).second) << state.label;
  }
  // Five prefixes (none to all kept) and two ways to tear each write, each twice.
  EXPECT_TRUE(seen.count(std::vector<Fate>(4, Fate::kDrop)));
  EXPECT_TRUE(seen.count(std::vector<Fate>(4, Fate::kKeep)));
  EXPECT_TRUE(seen.count({Fate::kKeep, Fate::kKeep, Fate::kTornZeros, Fate::kDrop}));
  EXPECT_TRUE(seen.count({Fate::kTornPrefix, Fate::kKeep, Fate::kKeep, Fate::kKeep}));
  EXPECT_GE(states.size(), 5u + 8u);
  // The same seed and point give the same states; another seed other random ones.
  const std::vector<CrashState> again = CrashStatesFor(writes, {.randomSubsets = 20}, 7);
  ASSERT_EQ(again.size(), states.size());
  for (size_t i = 0; i < states.size(); ++i) EXPECT_EQ(again[i].fates, states[i].fates);
  const std::vector<CrashState> other = CrashStatesFor(writes, {.randomSubsets = 20, .seed = 2}, 7);
  bool differs = other.size() != states.size();
  for (size_t i = 0; !differs && i < states.size(); ++i)
    differs = other[i].fates != states[i].fates;
  EXPECT_TRUE(differs);
  EXPECT_EQ(CrashStatesFor({}, {}, 0).size(), 1u);  // nothing pending: one state
}

}  // namespace
}  // namespace qs::test
