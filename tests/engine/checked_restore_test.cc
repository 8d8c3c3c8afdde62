// A file put back only when its copy holds the bytes the record names.
#include "engine/checked_restore.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace qs {
namespace {

class CheckedRestoreTest : public ::testing::Test {
 protected:
  RecordedFile Recorded(const std::string& bytes, bool with_hash = true) {
    return {"f", bytes.size(), test::Seconds(5000), with_hash, HashOf(bytes)};
  }
  CheckedRestore Restore(const RecordedFile& recorded) {
    return RestoreChecked(test::RealFs(), dir_ / "copy", dir_ / "dest/sub/f", recorded);
  }
  test::ScopedTempDir dir_;
};

TEST_F(CheckedRestoreTest, ACopyWithTheRecordedBytesIsRestored) {
  test::WriteFile(dir_ / "copy", "hello", test::Seconds(5000));
  const CheckedRestore done = Restore(Recorded("hello"));
  EXPECT_EQ(done.result, CheckedRestore::Result::kRestored);
  EXPECT_EQ(test::ReadFile(dir_ / "dest/sub/f"), "hello");
  EXPECT_EQ(test::RealFs().Stat(dir_ / "dest/sub/f").lastWrite, test::Seconds(5000));
}

TEST_F(CheckedRestoreTest, ACopyWithOtherBytesNeverReachesDest) {
  // Same size and time: only the bytes tell.
  test::WriteFile(dir_ / "copy", "hellO", test::Seconds(5000));
  const CheckedRestore done = Restore(Recorded("hello"));
  EXPECT_EQ(done.result, CheckedRestore::Result::kDiffers);
  ASSERT_TRUE(done.hashRead);
  EXPECT_EQ(done.found, HashOf("hellO"));
  EXPECT_FALSE(test::Exists(dir_ / "dest/sub/f"));
  // A longer file that happens to start alike differs too.
  test::WriteFile(dir_ / "copy", "hello!", test::Seconds(5000));
  EXPECT_EQ(Restore(Recorded("hello")).result, CheckedRestore::Result::kDiffers);
  EXPECT_FALSE(test::Exists(dir_ / "dest/sub/f"));
}

TEST_F(CheckedRestoreTest, WithoutARecordedHashSizeAndTimeDecide) {
  test::WriteFile(dir_ / "copy", "other", test::Seconds(5000));
  EXPECT_EQ(Restore(Recorded("hello", false)).result, CheckedRestore::Result::kRestored);
  EXPECT_EQ(test::ReadFile(dir_ / "dest/sub/f"), "other");
  test::WriteFile(dir_ / "copy", "hello", test::Seconds(5001));
  const CheckedRestore later =
      RestoreChecked(test::RealFs(), dir_ / "copy", dir_ / "dest/g", Recorded("hello", false));
  EXPECT_EQ(later.result, CheckedRestore::Result::kDiffers);
  EXPECT_FALSE(later.hashRead);
  EXPECT_FALSE(test::Exists(dir_ / "dest/g"));
}

TEST_F(CheckedRestoreTest, AMissingCopyAndAFailedCopyAreToldApart) {
  EXPECT_EQ(Restore(Recorded("hello")).result, CheckedRestore::Result::kMissing);
  test::WriteFile(dir_ / "copy", "hello", test::Seconds(5000));
  test::FaultyFileSystem faulty;
  faulty.failCopyTo = [](const std::string&) { return true; };
  const CheckedRestore failed =
      RestoreChecked(faulty, dir_ / "copy", dir_ / "dest/f", Recorded("hello"));
  EXPECT_EQ(failed.result, CheckedRestore::Result::kFailed);
  EXPECT_EQ(failed.code, faulty.code);
}

TEST_F(CheckedRestoreTest, ADamagedCopyGivesWayToAnotherWithTheSameBytes) {
  test::WriteFile(dir_ / "tgt/sub/f", "hellO", test::Seconds(5000));  // rotted
  test::WriteFile(dir_ / "tgt/v2/sub/f", "hello", test::Seconds(4000));
  const AsOfFile file{test::Native("sub/f"), Recorded("hello"), {"", "v2"}, ""};
  std::string folder;
  const CheckedRestore done =
      RestorePlanned(test::RealFs(), dir_ / "tgt/", dir_ / "dest/", file, &folder);
  EXPECT_EQ(done.result, CheckedRestore::Result::kRestored);
  EXPECT_EQ(folder, "v2");
  EXPECT_EQ(test::ReadFile(dir_ / "dest/sub/f"), "hello");
  // Every copy differs: the last one tried is said, nothing restored.
  test::WriteFile(dir_ / "tgt/v2/sub/f", "hellp", test::Seconds(4000));
  const CheckedRestore none =
      RestorePlanned(test::RealFs(), dir_ / "tgt/", dir_ / "dest2/", file, &folder);
  EXPECT_EQ(none.result, CheckedRestore::Result::kDiffers);
  EXPECT_EQ(folder, "v2");
  EXPECT_EQ(none.found, HashOf("hellp"));
  EXPECT_FALSE(test::Exists(dir_ / "dest2/sub/f"));
}

}  // namespace
}  // namespace qs
