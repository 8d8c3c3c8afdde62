// The newer-than rule: exact where the target keeps exact times, and a volume's own step
// only where it really stores coarse times.
#include "engine/file_times.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::At;
using test::Seconds;

constexpr TimeStep kFat = 2000000000;
constexpr TimeStep kWholeSeconds = 1000000000;
constexpr TimeStep kExFat = 10000000;
constexpr TimeStep kNtfs = 100;

TEST(FileTimesTest, OnAnExactVolumeAnyLaterSourceIsNewer) {
  EXPECT_FALSE(SourceIsNewer(Seconds(100), Seconds(100), kExactTimes));
  EXPECT_FALSE(SourceIsNewer(Seconds(100), Seconds(101), kExactTimes));
  EXPECT_TRUE(SourceIsNewer(Seconds(103), Seconds(100), kExactTimes));
  EXPECT_TRUE(SourceIsNewer(Seconds(3), FileTime{}, kExactTimes));
  EXPECT_FALSE(SourceIsNewer(FileTime{}, At(0, 5), kExactTimes));
  // A whole even second saved again within 2 s (an unpacked archive edited at once).
  EXPECT_TRUE(SourceIsNewer(At(1600000001, 500000000), Seconds(1600000000), kExactTimes));
  EXPECT_TRUE(SourceIsNewer(Seconds(1600000001), Seconds(1600000000), kExactTimes));
}

TEST(FileTimesTest, EqualTimesBelowOneHundredNanosecondsAreCompared) {
  EXPECT_FALSE(SourceIsNewer(At(50, 123456789), At(50, 123456789), kExactTimes));
  EXPECT_TRUE(SourceIsNewer(At(50, 123456789), At(50, 123456788), kExactTimes));
  EXPECT_TRUE(SourceIsNewer(At(50, 123456701), At(50, 123456700), kExactTimes));
  // On NTFS's 100 ns the copy of ...789 is ...700, and as new as its source.
  EXPECT_FALSE(SourceIsNewer(At(50, 123456789), At(50, 123456700), kNtfs));
  EXPECT_TRUE(SourceIsNewer(At(50, 123456889), At(50, 123456700), kNtfs));
}

TEST(FileTimesTest, OnACoarseVolumeTheCopyCutDownToItsStepIsNotOlder) {
  const FileTime source = At(101, 987654321);
  EXPECT_FALSE(SourceIsNewer(source, Seconds(100), kFat));
  EXPECT_FALSE(SourceIsNewer(source, Seconds(101), kWholeSeconds));
  EXPECT_FALSE(SourceIsNewer(source, At(101, 980000000), kExFat));
  // But only that volume's step: a whole-second copy on exFAT is older.
  EXPECT_TRUE(SourceIsNewer(source, Seconds(101), kExFat));
  EXPECT_TRUE(SourceIsNewer(source, At(101, 970000000), kExFat));
  EXPECT_TRUE(SourceIsNewer(source, Seconds(99), kFat));
  EXPECT_TRUE(SourceIsNewer(Seconds(103), Seconds(101), kFat));  // 103 cuts down to 102
}

TEST(FileTimesTest, CutDownWorksBeforeNineteenSeventyAndFarAhead) {
  EXPECT_EQ(Seconds(-2), CutDown(At(-1, 500000000), kFat));  // -0.5 s lies in [-2, 0)
  EXPECT_EQ(Seconds(-1), CutDown(At(-1, 500000000), kWholeSeconds));
  EXPECT_EQ(At(-1, 500000000), CutDown(At(-1, 500000099), kNtfs));
  // 9999-12-31 23:59:59.9: beyond the 64-bit nanosecond count (2262), still exact.
  const FileTime late = At(253402300799, 900000000);
  EXPECT_EQ(Seconds(253402300798), CutDown(late, kFat));
  EXPECT_TRUE(SourceIsNewer(late, Seconds(253402300799), kExactTimes));
  EXPECT_FALSE(SourceIsNewer(Seconds(253402300798), late, kExactTimes));
}

TEST(FileTimesTest, OnlyACutDownTargetNeedsTheVolumesStep) {
  const FileTime source = At(101, 987654321);
  EXPECT_TRUE(MayBeCoarseCopyOf(Seconds(100), source));
  EXPECT_TRUE(MayBeCoarseCopyOf(Seconds(101), source));
  EXPECT_TRUE(MayBeCoarseCopyOf(At(101, 980000000), source));
  EXPECT_TRUE(MayBeCoarseCopyOf(At(101, 987654300), source));
  EXPECT_FALSE(MayBeCoarseCopyOf(At(101, 500000000), source));
  EXPECT_FALSE(MayBeCoarseCopyOf(Seconds(99), source));
  EXPECT_FALSE(MayBeCoarseCopyOf(source, source));
  EXPECT_FALSE(MayBeCoarseCopyOf(At(102, 0), source));
}

}  // namespace
}  // namespace qs
