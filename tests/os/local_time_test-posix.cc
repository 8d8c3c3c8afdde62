// Local times back to seconds in a zone with daylight-saving time: a time the clocks skipped
// never was, and is refused rather than moved to another.
#include <gtest/gtest.h>
#include <time.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "os/clock.h"

namespace qs {
namespace {

class BerlinTimeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* zone = std::getenv("TZ");
    had_zone_ = zone != nullptr;
    if (had_zone_) zone_ = zone;
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
  }
  void TearDown() override {
    if (had_zone_)
      setenv("TZ", zone_.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }
  bool had_zone_ = false;
  std::string zone_;
};

TEST_F(BerlinTimeTest, ATimeTheClocksSkippedIsRefusedAndTheOthersAreExact) {
  int64_t seconds = 42;
  // 2026-03-29: 02:00 became 03:00.
  EXPECT_FALSE(FromLocalTime({2026, 3, 29, 2, 30, 0}, &seconds));
  EXPECT_FALSE(FromLocalTime({2026, 3, 29, 2, 0, 0}, &seconds));
  EXPECT_EQ(42, seconds);
  ASSERT_TRUE(FromLocalTime({2026, 3, 29, 3, 0, 0}, &seconds));
  EXPECT_EQ(1774746000, seconds);  // 01:00 UTC
  ASSERT_TRUE(FromLocalTime({2026, 3, 29, 1, 59, 59}, &seconds));
  EXPECT_EQ(1774745999, seconds);
  // 2026-10-25: 03:00 became 02:00 again; the hour in between exists (twice).
  EXPECT_TRUE(FromLocalTime({2026, 10, 25, 2, 30, 0}, &seconds));
  // Out-of-range fields are no time either, rather than the next day.
  EXPECT_FALSE(FromLocalTime({2026, 1, 1, 24, 0, 0}, &seconds));
}

}  // namespace
}  // namespace qs
