// The time texts: their exact shape, and the milliseconds of the same reading.
#include "log/log_time.h"

#include <gtest/gtest.h>

#include <regex>

#include "tests/support/test_support.h"

namespace qs {
namespace {

TEST(LogTimeTest, CurrentTimeTextHasTwentyThreeCharactersAndPaddedMillis) {
  test::FakeClock clock;
  const int64_t second = int64_t{1738310400} * 10000000;
  clock.SetWallTicks(second + 5 * 10000 + 9999);  // 5.9999 ms past the second
  const std::string text = CurrentTimeText(clock);
  ASSERT_EQ(23u, text.size());
  EXPECT_TRUE(std::regex_match(text, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.005)"))) << text;
  clock.SetWallTicks(second);
  EXPECT_EQ(".000", CurrentTimeText(clock).substr(19));
  clock.SetWallTicks(second + 999 * 10000);
  EXPECT_EQ(".999", CurrentTimeText(clock).substr(19));
}

TEST(LogTimeTest, CompactTimestampIsTheSameSecondWithoutSeparators) {
  test::FakeClock clock;
  clock.SetWallTicks(int64_t{1738310709} * 10000000 + 9999999);
  const std::string full = CurrentTimeText(clock);
  const std::string compact = CompactTimestamp(clock);
  ASSERT_EQ(15u, compact.size());
  const std::string expected = full.substr(0, 4) + full.substr(5, 2) + full.substr(8, 2) + "_" +
                               full.substr(11, 2) + full.substr(14, 2) + full.substr(17, 2);
  EXPECT_EQ(expected, compact);
}

// The test run sets TZ=UTC, so local time is UTC here.
TEST(LogTimeTest, KnownInstantInUtc) {
  test::FakeClock clock;
  clock.SetWallTicks(int64_t{1738310709} * 10000000 + 70000);
  EXPECT_EQ("2025-01-31 08:05:09.007", CurrentTimeText(clock));
  EXPECT_EQ("20250131_080509", CompactTimestamp(clock));
}

}  // namespace
}  // namespace qs
