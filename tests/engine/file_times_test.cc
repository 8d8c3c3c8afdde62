// The newer-than rule, including copies stored with a coarser clock.
#include "engine/file_times.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

constexpr FileTime kSecond = 1000000000;

TEST(FileTimesTest, StrictlyLaterIsNewer) {
  EXPECT_FALSE(SourceIsNewer(100 * kSecond, 100 * kSecond));
  EXPECT_FALSE(SourceIsNewer(100 * kSecond, 101 * kSecond));
  EXPECT_TRUE(SourceIsNewer(103 * kSecond, 100 * kSecond));
  EXPECT_FALSE(SourceIsNewer(0, 5));
  EXPECT_TRUE(SourceIsNewer(3 * kSecond, 0));
  // Within one 2-second step a copy cannot be told from a coarse one: 101 s over 100 s.
  EXPECT_FALSE(SourceIsNewer(101 * kSecond, 100 * kSecond));
}

TEST(FileTimesTest, CopiesCutDownToACoarseStepAreNotOlder) {
  const FileTime source = 101 * kSecond + 987654321;               // 101.987654321 s
  EXPECT_FALSE(SourceIsNewer(source, 100 * kSecond));              // 2 s step (FAT)
  EXPECT_FALSE(SourceIsNewer(source, 101 * kSecond));              // 1 s step
  EXPECT_FALSE(SourceIsNewer(source, 101 * kSecond + 987654000));  // 1 us step
  EXPECT_FALSE(SourceIsNewer(source, 101 * kSecond + 987654300));  // 100 ns step
}

TEST(FileTimesTest, CopiesOnExFatInTenMillisecondStepsAreNotOlder) {
  // exFAT (most USB drives above 32 GB) keeps last-write times in 10 ms steps: a copy there
  // that counted as older would be copied, and versioned, again on every run.
  const FileTime source = 101 * kSecond + 987654321;
  EXPECT_FALSE(SourceIsNewer(source, 101 * kSecond + 980000000));
  EXPECT_TRUE(SourceIsNewer(source, 101 * kSecond + 970000000));
}

TEST(FileTimesTest, AGenuinelyOlderCopyIsStillUpdated) {
  const FileTime source = 101 * kSecond + 987654321;
  EXPECT_TRUE(SourceIsNewer(source, 99 * kSecond));
  EXPECT_TRUE(SourceIsNewer(source, 100 * kSecond + 1));
  EXPECT_TRUE(SourceIsNewer(source, 101 * kSecond + 500000000));
  EXPECT_TRUE(SourceIsNewer(source, 101 * kSecond + 987654320));
  // An even second: the 2-second step of 103 s is 102 s, so 101 s is older.
  EXPECT_TRUE(SourceIsNewer(103 * kSecond, 101 * kSecond));
}

}  // namespace
}  // namespace qs
