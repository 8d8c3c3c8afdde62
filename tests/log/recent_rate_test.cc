// The time left from the pace of the last ten seconds: steady sources, a change of pace, a
// file that takes longer than the window, and when nothing is said yet.
#include "log/recent_rate.h"

#include <gtest/gtest.h>

#include <cmath>

namespace qs {
namespace {

constexpr int64_t kSecond = 1000000000;
constexpr uint64_t kMiB = 1024 * 1024;

TEST(RecentRateTest, ASteadySourceGivesTheTimeLeftFromAFewSecondsOn) {
  // 200 files of 1 MiB, four a second, each sample a quarter of a second apart.
  RecentRate rate;
  for (uint64_t done = 0; done <= 200; ++done) {
    const ProgressSample now{static_cast<int64_t>(done) * kSecond / 4, done, done * kMiB};
    rate.Add(now);
    const double truth = static_cast<double>(200 - done) / 4;
    const double left = rate.SecondsLeft(now, 200, 200 * kMiB);
    if (now.nanos < 3 * kSecond + kSecond / 4) {
      EXPECT_LT(left, 0) << done;  // no fair basis yet: three seconds from the first file done
    } else {
      EXPECT_NEAR(truth, left, 1e-6) << done;
      EXPECT_NEAR(4.0 * kMiB, rate.BytesPerSecond(now), 1e-3) << done;
    }
  }
}

TEST(RecentRateTest, FollowsTheSourceAsItIsNowNotAsItWasAtTheStart) {
  // A minute at a tenth of the pace (a slow start, or a first stretch of small files), then
  // the rest at full pace: ten seconds later only the full pace counts.
  RecentRate rate;
  ProgressSample now;
  for (; now.nanos <= 60 * kSecond; now.nanos += kSecond / 10) {
    rate.Add(now);
    ++now.files_done;
    now.bytes_done += kMiB / 10;  // ten files of 0.1 MiB a second
  }
  for (const int64_t until = now.nanos + 10 * kSecond; now.nanos < until;) {
    now.nanos += kSecond / 10;
    ++now.files_done;
    now.bytes_done += kMiB;  // then ten files of 1 MiB a second
    rate.Add(now);
  }
  EXPECT_NEAR(10.0 * kMiB, rate.BytesPerSecond(now), 0.1 * kMiB);
  // 100 more files of 1 MiB: ten seconds at the full pace (the whole run's would say 27).
  EXPECT_NEAR(10.0, rate.SecondsLeft(now, now.files_done + 100, now.bytes_done + 100 * kMiB), 0.1);
}

TEST(RecentRateTest, TheTimeBeforeTheFirstFileIsDoneIsNotThePace) {
  // Nothing done for 4 s (the run setting up, copies under way), then 100 files a second.
  RecentRate rate;
  rate.Add({0, 0, 0});
  ProgressSample now{4 * kSecond, 0, 0};
  for (int tenth = 1; tenth <= 40; ++tenth) {
    now.nanos += kSecond / 10;
    now.files_done += 10;
    now.bytes_done += 10 * kMiB;
    rate.Add(now);
  }
  // 4 s after the first files were done: 1000 files left, ten seconds at the pace since then
  // (counting from the start of the run would say almost 20).
  EXPECT_NEAR(100.0 * kMiB, rate.BytesPerSecond(now), 1);
  EXPECT_NEAR(10.0, rate.SecondsLeft(now, 1400, 1400 * kMiB), 1e-6);
}

TEST(RecentRateTest, AFileLongerThanTheWindowCountsOverTheTimeItTook) {
  // Files of 30 MiB, each done 30 s after the one before; the first is done at 30 s.
  RecentRate rate;
  rate.Add({0, 0, 0});
  rate.Add({30 * kSecond, 1, 30 * kMiB});
  // Moments with nothing new done do not cut the next file's time short.
  rate.Add({50 * kSecond, 1, 30 * kMiB});
  const ProgressSample next{60 * kSecond, 2, 60 * kMiB};
  rate.Add(next);
  EXPECT_NEAR(1.0 * kMiB, rate.BytesPerSecond(next), 1);
  EXPECT_NEAR(30.0, rate.SecondsLeft(next, 3, 90 * kMiB), 1e-6);
}

TEST(RecentRateTest, NothingDoneYetSaysNothingAndNothingLeftSaysZero) {
  RecentRate rate;
  rate.Add({0, 0, 0});
  const ProgressSample idle{5 * kSecond, 0, 0};
  rate.Add(idle);
  EXPECT_LT(rate.SecondsLeft(idle, 10, 10 * kMiB), 0);
  EXPECT_EQ(0, rate.BytesPerSecond(idle));
  // Files of no size: the time left goes by the files alone.
  const ProgressSample files_only{6 * kSecond, 3, 0};
  EXPECT_NEAR(14.0, rate.SecondsLeft(files_only, 10, 0), 1e-6);
  // Everything done: nothing left, whatever the pace.
  EXPECT_EQ(0, rate.SecondsLeft({7 * kSecond, 10, 10 * kMiB}, 10, 10 * kMiB));
  EXPECT_EQ(0, rate.SecondsLeft({1, 10, 10 * kMiB}, 10, 10 * kMiB));
}

TEST(RecentRateTest, HalfFilesHalfBytesWhenTheTwoPacesDisagree) {
  // 10 small files and 10 MiB done in 10 s; 90 files left but only 10 MiB: 90 s by the files,
  // 10 s by the bytes.
  RecentRate rate;
  rate.Add({0, 0, 0});
  const ProgressSample now{10 * kSecond, 10, 10 * kMiB};
  EXPECT_NEAR(50.0, rate.SecondsLeft(now, 100, 20 * kMiB), 1e-6);
}

}  // namespace
}  // namespace qs
