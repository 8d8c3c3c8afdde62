// Local times back to seconds through the system's zone rules. The suite runs with TZ=UTC
// (cmake/wine-run.sh), so local time is UTC and every value below is exact.
#include <gtest/gtest.h>

#include <cstdint>

#include "os/clock.h"

namespace qs {
namespace {

class LocalTimeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!(ToLocalTime(0) == LocalTime{1970, 1, 1, 0, 0, 0}))
      GTEST_SKIP() << "the local zone is not UTC";
  }
};

TEST_F(LocalTimeTest, LocalTimesGoBackToTheSecondsTheyCameFrom) {
  // 1601 (where Windows begins), before 1970, leap days, 2038 and beyond, up to year 30828.
  for (const int64_t seconds :
       {int64_t{-11644473600}, int64_t{-1}, int64_t{0}, int64_t{951825600}, int64_t{1709208000},
        int64_t{2147483648}, int64_t{253402300799}, int64_t{910000000000}}) {
    int64_t back = 42;
    ASSERT_TRUE(FromLocalTime(ToLocalTime(seconds), &back)) << seconds;
    EXPECT_EQ(seconds, back);
  }
  EXPECT_TRUE((ToLocalTime(1709208000) == LocalTime{2024, 2, 29, 12, 0, 0}));
  int64_t seconds = 0;
  ASSERT_TRUE(FromLocalTime({2026, 12, 1, 18, 0, 0}, &seconds));
  EXPECT_EQ(1796148000, seconds);
}

TEST_F(LocalTimeTest, ImpossibleDatesAndTimesAreRefusedAndLeaveTheResultAlone) {
  const LocalTime impossible[] = {{2023, 2, 29, 0, 0, 0},
                                  {2024, 2, 30, 0, 0, 0},
                                  {2024, 4, 31, 0, 0, 0},
                                  {2024, 13, 1, 0, 0, 0},
                                  {2024, 0, 1, 0, 0, 0},
                                  {2024, 1, 0, 0, 0, 0},
                                  {2024, 1, 1, 24, 0, 0},
                                  {2024, 1, 1, 0, 60, 0},
                                  {2024, 1, 1, 0, 0, 60},
                                  {2024, 1, 1, -1, 0, 0},
                                  {1600, 12, 31, 0, 0, 0},
                                  {30828, 12, 31, 0, 0, 0},
                                  {-1, 1, 1, 0, 0, 0},
                                  // Values that a 16-bit field would wrap into plausible ones:
                                  // 67137 into 1601, 65537 into 1, 65536 into 0.
                                  {67137, 1, 1, 0, 0, 0},
                                  {2024, 65537, 1, 0, 0, 0},
                                  {2024, 1, 65537, 0, 0, 0},
                                  {2024, 1, 1, 65536, 0, 0}};
  for (const LocalTime& local : impossible) {
    int64_t seconds = 42;
    EXPECT_FALSE(FromLocalTime(local, &seconds))
        << local.year << "-" << local.month << "-" << local.day << " " << local.hour << ":"
        << local.minute << ":" << local.second;
    EXPECT_EQ(42, seconds);
  }
}

}  // namespace
}  // namespace qs
