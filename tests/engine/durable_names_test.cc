// Names put in place are made durable before their lines are written: one flush per volume
// where the system has one, else every directory from the file up to the target root; and
// each name learns which flush, if any, failed for it.
#include "engine/durable_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace qs {
namespace {

class DurableNamesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* dir : {"dst/a/deep", "dst/b", "dst/c"})
      test::WriteFile(dir_ / (std::string(dir) + "/f"), "x", test::Seconds(1000));
  }

  /// Records the three files as published on volume 1, flushed with it or not.
  void PublishAll(DurableNames& names, bool with_volume) {
    for (const char* file : {"dst/c/f", "dst/a/deep/f", "dst/b/f"})
      names.Published(dir_ / file, 1, with_volume);
  }

  std::vector<std::string> SortedEvents() {
    std::vector<std::string> events = fs_.events;
    std::sort(events.begin(), events.end());
    return events;
  }

  std::vector<std::string> DirectorySyncs(std::initializer_list<const char*> dirs) {
    std::vector<std::string> expected;
    for (const char* dir : dirs) expected.push_back("sync-directory " + dir_ / dir);
    return expected;
  }

  test::ScopedTempDir dir_;
  test::FaultyFileSystem fs_;
};

TEST_F(DurableNamesTest, EveryDirectoryUpToTheRootIsFlushedOnManyThreads) {
  fs_.wholeVolumeFlush = false;
  DurableNames names(dir_ / "dst");
  PublishAll(names, false);
  names.Sync(fs_, 4);
  EXPECT_EQ(DirectorySyncs({"dst", "dst/a", "dst/a/deep", "dst/b", "dst/c"}), SortedEvents());
  for (const char* file : {"dst/c/f", "dst/a/deep/f", "dst/b/f"})
    EXPECT_FALSE(names.FailureOf(dir_ / file, 1, false)) << file;
}

TEST_F(DurableNamesTest, FoldersTheRunMadeAboveTheRootAreFlushedUpToTheOneThatWasThere) {
  fs_.wholeVolumeFlush = false;
  test::WriteFile(dir_ / "vol/made/dst/f", "x", test::Seconds(1000));
  DurableNames names(dir_ / "vol/made/dst");
  names.ExistedBefore(dir_ / "vol");
  names.Published(dir_ / "vol/made/dst/f", 1, false);
  names.Sync(fs_);
  EXPECT_FALSE(names.FailureOf(dir_ / "vol/made/dst/f", 1, false));
  EXPECT_EQ(DirectorySyncs({"vol", "vol/made", "vol/made/dst"}), SortedEvents());
}

TEST_F(DurableNamesTest, AFailedDirectoryFailsTheNamesBelowItOnly) {
  fs_.wholeVolumeFlush = false;
  fs_.failFlushOf = [this](const std::string& path) { return path == dir_ / "dst/a"; };
  fs_.code = 5;
  for (int threads : {1, 4}) {
    DurableNames names(dir_ / "dst");
    PublishAll(names, false);
    names.Sync(fs_, threads);
    EXPECT_EQ(std::optional<uint32_t>(5), names.FailureOf(dir_ / "dst/a/deep/f", 1, false));
    EXPECT_FALSE(names.FailureOf(dir_ / "dst/b/f", 1, false));
    EXPECT_FALSE(names.FailureOf(dir_ / "dst/c/f", 1, false));
  }
}

TEST_F(DurableNamesTest, OneVolumeFlushServesEveryNameOnIt) {
  if (!test::RealFs().SyncVolume(dir_.path())) GTEST_SKIP() << "no whole-volume flush here";
  DurableNames names(dir_ / "dst");
  PublishAll(names, true);
  names.Sync(fs_, 4);
  EXPECT_EQ(std::vector<std::string>{"sync-volume " + dir_ / "dst/c"}, fs_.events);
  EXPECT_FALSE(names.FailureOf(dir_ / "dst/b/f", 1, true));
}

TEST_F(DurableNamesTest, AVolumeFlushThatFailsFallsBackToTheDirectoriesOfItsNames) {
  fs_.failFlushOf = [this](const std::string& path) {
    return path == dir_ / "dst/c" || path == dir_ / "dst/b";
  };
  fs_.code = 30;
  DurableNames names(dir_ / "dst");
  PublishAll(names, true);
  names.Sync(fs_, 1);
  std::vector<std::string> expected =
      DirectorySyncs({"dst", "dst/a", "dst/a/deep", "dst/b", "dst/c"});
  expected.push_back("sync-volume " + dir_ / "dst/c");
  EXPECT_EQ(expected, SortedEvents());
  EXPECT_EQ(std::optional<uint32_t>(30), names.FailureOf(dir_ / "dst/c/f", 1, true));
  EXPECT_EQ(std::optional<uint32_t>(30), names.FailureOf(dir_ / "dst/b/f", 1, true));
  EXPECT_FALSE(names.FailureOf(dir_ / "dst/a/deep/f", 1, true));  // its directories were flushed
}

TEST_F(DurableNamesTest, ClearStartsTheNextBatchAfresh) {
  if (!test::RealFs().SyncVolume(dir_.path())) GTEST_SKIP() << "no whole-volume flush here";
  fs_.failFlushOf = [](const std::string&) { return true; };
  DurableNames names(dir_ / "dst");
  PublishAll(names, true);
  names.Sync(fs_, 1);
  ASSERT_TRUE(names.FailureOf(dir_ / "dst/b/f", 1, true));
  names.Clear();
  fs_.failFlushOf = nullptr;
  fs_.events.clear();
  names.Published(dir_ / "dst/b/f", 1, true);
  names.Sync(fs_, 1);
  EXPECT_EQ(std::vector<std::string>{"sync-volume " + dir_ / "dst/b"}, fs_.events);
  EXPECT_FALSE(names.FailureOf(dir_ / "dst/b/f", 1, true));
}

}  // namespace
}  // namespace qs
