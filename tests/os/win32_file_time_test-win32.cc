// FILETIME counts (100 ns since 1601) against the seam's times (since 1970), over the whole
// range Windows stores.
#include <gtest/gtest.h>

#include "os/win32/win32_file_time.h"

namespace qs::win32 {
namespace {

constexpr uint64_t kUnitsAt1970 = 116444736000000000;
constexpr uint64_t kMaxUnits = 0x7FFFFFFFFFFFFFFF;

TEST(Win32FileTimeTest, CountsFrom1601BecomeTimesFrom1970) {
  EXPECT_EQ((FileTime{0, 0}), FromUnits(kUnitsAt1970));
  EXPECT_EQ((FileTime{0, 100}), FromUnits(kUnitsAt1970 + 1));
  // Before 1970 the seconds round down and the nanoseconds stay positive.
  EXPECT_EQ((FileTime{-1, 999999900}), FromUnits(kUnitsAt1970 - 1));
  EXPECT_EQ((FileTime{-11644473600, 0}), FromUnits(0));  // 1601-01-01
  EXPECT_EQ((FileTime{-11644473600, 100}), FromUnits(1));
  EXPECT_EQ((FileTime{910692730085, 477580700}), FromUnits(kMaxUnits));  // year 30828
  EXPECT_EQ(FromUnits(kMaxUnits), FromUnits(UINT64_MAX));
}

TEST(Win32FileTimeTest, TimesBecomeCountsRoundedDownToTheStep) {
  uint64_t units = 0;
  ASSERT_TRUE(ToUnits({0, 0}, &units));
  EXPECT_EQ(kUnitsAt1970, units);
  ASSERT_TRUE(ToUnits({1738310709, 123456789}, &units));
  EXPECT_EQ(kUnitsAt1970 + 17383107091234567, units);
  ASSERT_TRUE(ToUnits({-1, 999999999}, &units));
  EXPECT_EQ(kUnitsAt1970 - 1, units);
  ASSERT_TRUE(ToUnits({-11644473600, 0}, &units));
  EXPECT_EQ(0u, units);
  ASSERT_TRUE(ToUnits({910692730085, 477580700}, &units));
  EXPECT_EQ(kMaxUnits, units);
}

TEST(Win32FileTimeTest, TimesWindowsCannotHoldAreRefused) {
  uint64_t units = 42;
  EXPECT_FALSE(ToUnits({-11644473601, 999999999}, &units));  // before 1601
  EXPECT_FALSE(ToUnits({910692730085, 477580800}, &units));  // beyond 2^63 - 1 units
  EXPECT_FALSE(ToUnits({INT64_MAX, 0}, &units));
  EXPECT_FALSE(ToUnits({INT64_MIN, 0}, &units));
  EXPECT_EQ(42u, units);
}

TEST(Win32FileTimeTest, EveryStepRoundTrips) {
  for (const FileTime time :
       {FileTime{-11644473600, 100}, FileTime{-86400, 100}, FileTime{-1, 999999900},
        FileTime{1234, 567800}, FileTime{253402300799, 999999900}}) {
    uint64_t units = 0;
    ASSERT_TRUE(ToUnits(time, &units));
    EXPECT_EQ(time, FromUnits(units));
  }
}

}  // namespace
}  // namespace qs::win32
