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
  EXPECT_EQ("2025-01-31 08:05:09", SecondsTimeText(1738310709));
}

// A moment before 1970 belongs to the second it falls in, not the one after: the last tick
// before the epoch is 1969-12-31 23:59:59.
TEST(LogTimeTest, TicksRoundDownToTheirSecondOnBothSidesOfTheEpoch) {
  EXPECT_EQ(0, SecondsOfTicks(0));
  EXPECT_EQ(0, SecondsOfTicks(9999999));
  EXPECT_EQ(-1, SecondsOfTicks(-1));
  EXPECT_EQ(-1, SecondsOfTicks(-10000000));
  EXPECT_EQ(-2, SecondsOfTicks(-10000001));
  EXPECT_EQ("1969-12-31 23:59:59", SecondsTimeText(SecondsOfTicks(-1)));
}

}  // namespace
}  // namespace qs
