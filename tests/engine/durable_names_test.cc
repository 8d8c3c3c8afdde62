// Names put in place are made durable before the run says it is complete: on a volume without
// a whole-volume flush, every directory from the file up to the target root is flushed.
#include "engine/durable_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/test_support.h"

namespace qs {
namespace {

class DurableNamesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* dir : {"dst/a/deep", "dst/b", "dst/c"})
      test::WriteFile(dir_ / (std::string(dir) + "/f"), "x", test::Seconds(1000));
    fs_.wholeVolumeFlush = false;
  }

  /// Records three files published on a volume without a whole-volume flush, then flushes
  /// on `threads` threads; the paths reported as failed, in the order they were reported.
  std::vector<std::pair<std::string, uint32_t>> SyncAll(int threads, bool* all) {
    DurableNames names(dir_ / "dst");
    for (const char* file : {"dst/c/f", "dst/a/deep/f", "dst/b/f"})
      names.Published(dir_ / file, 1, false);
    std::vector<std::pair<std::string, uint32_t>> failed;
    *all = names.Sync(
        fs_, [&failed](const std::string& path, uint32_t code) { failed.emplace_back(path, code); },
        threads);
    return failed;
  }

  test::ScopedTempDir dir_;
  test::FaultyFileSystem fs_;
};

TEST_F(DurableNamesTest, EveryDirectoryUpToTheRootIsFlushedOnManyThreads) {
  bool all = false;
  EXPECT_TRUE(SyncAll(4, &all).empty());
  EXPECT_TRUE(all);
  std::vector<std::string> flushed = fs_.events;
  std::sort(flushed.begin(), flushed.end());
  std::vector<std::string> expected;
  for (const char* dir : {"dst", "dst/a", "dst/a/deep", "dst/b", "dst/c"})
    expected.push_back("sync-directory " + dir_ / dir);
  EXPECT_EQ(expected, flushed);
}

TEST_F(DurableNamesTest, FoldersTheRunMadeAboveTheRootAreFlushedUpToTheOneThatWasThere) {
  test::WriteFile(dir_ / "vol/made/dst/f", "x", test::Seconds(1000));
  DurableNames names(dir_ / "vol/made/dst");
  names.ExistedBefore(dir_ / "vol");
  names.Published(dir_ / "vol/made/dst/f", 1, false);
  EXPECT_TRUE(names.Sync(fs_, [](const std::string&, uint32_t) {}));
  std::vector<std::string> flushed = fs_.events;
  std::sort(flushed.begin(), flushed.end());
  std::vector<std::string> expected;
  for (const char* dir : {"vol", "vol/made", "vol/made/dst"})
    expected.push_back("sync-directory " + dir_ / dir);
  EXPECT_EQ(expected, flushed);
}

TEST_F(DurableNamesTest, FailedFlushesAreReportedInPathOrderWithTheirCode) {
  fs_.failFlushOf = [this](const std::string& path) {
    return path == dir_ / "dst/c" || path == dir_ / "dst/a/deep";
  };
  fs_.code = 5;
  for (int threads : {1, 4}) {
    bool all = true;
    const std::vector<std::pair<std::string, uint32_t>> failed = SyncAll(threads, &all);
    EXPECT_FALSE(all) << threads;
    const std::vector<std::pair<std::string, uint32_t>> expected = {{dir_ / "dst/a/deep", 5},
                                                                    {dir_ / "dst/c", 5}};
    EXPECT_EQ(expected, failed) << threads;
  }
}

}  // namespace
}  // namespace qs
