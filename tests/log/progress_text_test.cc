// The words of the progress line, and how they fit a narrow terminal.
#include "log/progress_text.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

constexpr uint64_t kMiB = 1024 * 1024;

ProgressFigures Figures(uint64_t files_done, uint64_t files, uint64_t bytes_done, uint64_t bytes,
                        double rate, double seconds_left) {
  return {files_done, files, bytes_done, bytes, rate, seconds_left};
}

TEST(ProgressTextTest, FilesBytesRateAndTimeLeft) {
  EXPECT_EQ("3/10 files  1.0 MiB of 10.0 MiB  0.5 MiB/s  time left: 0:18",
            ProgressText(Figures(3, 10, kMiB, 10 * kMiB, 0.5 * kMiB, 18), 0));
  EXPECT_EQ("0/0 files  0.0 MiB of 0.0 MiB  0.0 MiB/s  time left: ...",
            ProgressText(Figures(0, 0, 0, 0, 0, -1), 0));
  // Rounded to the nearest second; hours once there is one.
  EXPECT_EQ("1/2 files  0.0 MiB of 0.0 MiB  0.0 MiB/s  time left: 1:00",
            ProgressText(Figures(1, 2, 0, 0, 0, 59.6), 0));
  EXPECT_EQ("1/2 files  0.0 MiB of 0.0 MiB  0.0 MiB/s  time left: 59:59",
            ProgressText(Figures(1, 2, 0, 0, 0, 3599.4), 0));
  EXPECT_EQ("1/2 files  0.0 MiB of 0.0 MiB  0.0 MiB/s  time left: 1:02:05",
            ProgressText(Figures(1, 2, 0, 0, 0, 3725), 0));
  // Beyond what 32 bits of seconds hold: a huge tree at its very start.
  EXPECT_EQ("1/2 files  0.0 MiB of 0.0 MiB  0.0 MiB/s  time left: 833333:20:00",
            ProgressText(Figures(1, 2, 0, 0, 0, 3e9), 0));
  // No number at all rather than a wrong one when the estimate runs away.
  EXPECT_EQ("1/2 files  0.0 MiB of 0.0 MiB  0.0 MiB/s  time left: ...",
            ProgressText(Figures(1, 2, 0, 0, 0, 1e300), 0));
}

TEST(ProgressTextTest, GibibytesFromTenOfThem) {
  EXPECT_EQ("1/1 files  9216.0 MiB of 20.0 GiB  10.0 GiB/s  time left: 0:01",
            ProgressText(Figures(1, 1, 9216 * kMiB, 20480 * kMiB, 10240.0 * kMiB, 1), 0));
}

TEST(ProgressTextTest, ANarrowTerminalLosesWholePartsTheTimeLeftLast) {
  const ProgressFigures figures = Figures(3, 10, kMiB, 10 * kMiB, 0.5 * kMiB, 18);
  const std::string full = "3/10 files  1.0 MiB of 10.0 MiB  0.5 MiB/s  time left: 0:18";
  EXPECT_EQ(full, ProgressText(figures, full.size()));
  EXPECT_EQ("3/10 files  1.0 MiB of 10.0 MiB  time left: 0:18",
            ProgressText(figures, full.size() - 1));
  EXPECT_EQ("1.0 MiB of 10.0 MiB  time left: 0:18", ProgressText(figures, 39));
  EXPECT_EQ("time left: 0:18", ProgressText(figures, 30));
  EXPECT_EQ("time left", ProgressText(figures, 9));
}

TEST(ProgressTextTest, NeverWiderThanAsked) {
  const ProgressFigures large =
      Figures(123456, 7890123, 5000 * kMiB, 900000 * kMiB, 123.4 * kMiB, 123456);
  for (size_t width = 1; width <= 120; ++width)
    EXPECT_LE(ProgressText(large, width).size(), width) << ProgressText(large, width);
  EXPECT_EQ(ProgressText(large, 0), ProgressText(large, 120));
}

}  // namespace
}  // namespace qs
