// The progress line: its text, how often it is drawn, and how the log shares the terminal.
#include "cli/progress_line.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/test_support.h"

namespace qs {
namespace {

constexpr uint64_t kMiB = 1024 * 1024;

TEST(ProgressLineTextTest, FilesBytesRateAndTimeLeft) {
  EXPECT_EQ("3/10 files  1.0 MiB of 10.0 MiB  0.5 MiB/s  time left: 0:18",
            ProgressLine::Text(3, 10, kMiB, 10 * kMiB, 0.5 * kMiB, 18));
  EXPECT_EQ("0/0 files  0.0 MiB of 0.0 MiB  0.0 MiB/s  time left: ...",
            ProgressLine::Text(0, 0, 0, 0, 0, -1));
  // Rounded to the nearest second; hours once there is one.
  EXPECT_EQ("1/2 files  0.0 MiB of 0.0 MiB  0.0 MiB/s  time left: 1:00",
            ProgressLine::Text(1, 2, 0, 0, 0, 59.6));
  EXPECT_EQ("1/2 files  0.0 MiB of 0.0 MiB  0.0 MiB/s  time left: 59:59",
            ProgressLine::Text(1, 2, 0, 0, 0, 3599.4));
  EXPECT_EQ("1/2 files  0.0 MiB of 0.0 MiB  0.0 MiB/s  time left: 1:02:05",
            ProgressLine::Text(1, 2, 0, 0, 0, 3725));
  // Beyond what 32 bits of seconds hold: a huge tree at its very start.
  EXPECT_EQ("1/2 files  0.0 MiB of 0.0 MiB  0.0 MiB/s  time left: 833333:20:00",
            ProgressLine::Text(1, 2, 0, 0, 0, 3e9));
  // No number at all rather than a wrong one when the estimate runs away.
  EXPECT_EQ("1/2 files  0.0 MiB of 0.0 MiB  0.0 MiB/s  time left: ...",
            ProgressLine::Text(1, 2, 0, 0, 0, 1e300));
}

TEST(ProgressLineTextTest, GibibytesFromTenOfThem) {
  EXPECT_EQ("1/1 files  9216.0 MiB of 20.0 GiB  10.0 GiB/s  time left: 0:01",
            ProgressLine::Text(1, 1, 9216 * kMiB, 20480 * kMiB, 10240.0 * kMiB, 1));
}

class ProgressLineTest : public test::JobFixture {
 protected:
  void Send(RunEventKind kind, size_t count = 0, uint64_t bytes = 0) {
    line_.OnRunEvent({.kind = kind, .job = job_, .count = count, .bytes = bytes});
  }
  /// How many times the line was drawn: each drawing starts with "\r" and text.
  int Draws() {
    const std::string text = terminal_.str();
    int draws = 0;
    for (size_t at = 0; (at = text.find('\r', at)) != std::string::npos; ++at)
      if (text.compare(at, 2, "\r\033") != 0) ++draws;
    return draws;
  }
  /// The text of the last drawing.
  std::string Last() {
    const std::string text = terminal_.str();
    const size_t start = text.rfind("\r", text.rfind("\033[K") - 1);
    return text.substr(start + 1, text.rfind("\033[K") - start - 1);
  }

  std::ostringstream terminal_;
  ProgressLine line_{clock_, terminal_};
};

TEST_F(ProgressLineTest, DrawnAtMostTenTimesASecond) {
  Send(RunEventKind::kStarted);
  Send(RunEventKind::kScanned, 1000, 1000 * kMiB);
  const int at_start = Draws();
  EXPECT_EQ(1, at_start);
  for (int i = 0; i < 1000; ++i) {
    clock_.Advance(test::kSecondNanos / 1000);  // a file each millisecond for a second
    Send(RunEventKind::kCopied, 0, kMiB);
  }
  EXPECT_GE(Draws(), at_start + 9);
  EXPECT_LE(Draws(), at_start + 10);
  EXPECT_EQ("1000/1000 files", Last().substr(0, 15)) << Last();
  EXPECT_EQ(std::string::npos, terminal_.str().find('\n'));
}

TEST_F(ProgressLineTest, ShowsRateAndTimeLeftThenEndsOnALineOfItsOwn) {
  Send(RunEventKind::kStarted);
  Send(RunEventKind::kScanned, 4, 40 * kMiB);
  clock_.Advance(2 * test::kSecondNanos);
  Send(RunEventKind::kCopied, 0, 10 * kMiB);
  Send(RunEventKind::kSkipped, 0, 10 * kMiB);  // within the tenth of a second: not drawn
  EXPECT_EQ("1/4 files  10.0 MiB of 40.0 MiB  5.0 MiB/s  time left: 0:06", Last());
  clock_.Advance(2 * test::kSecondNanos);
  Send(RunEventKind::kFailed, 0, 10 * kMiB);
  // Half done after 2 s gave 6 s left; three quarters after 4 s gives 1.33 s, smoothed.
  EXPECT_EQ("3/4 files  30.0 MiB of 40.0 MiB  7.5 MiB/s  time left: 0:05", Last());
  Send(RunEventKind::kUpdated, 0, 10 * kMiB);
  Send(RunEventKind::kEnded);
  // Everything done: nothing left, whatever the estimate said a moment ago.
  EXPECT_EQ("4/4 files  40.0 MiB of 40.0 MiB  10.0 MiB/s  time left: 0:00", Last());
  ASSERT_FALSE(terminal_.str().empty());
  EXPECT_EQ('\n', terminal_.str().back());
}

TEST_F(ProgressLineTest, TheLogTakesTheLineOffBeforeEachOfItsLines) {
  std::ostringstream out;
  LogBesideProgress beside(*out.rdbuf(), line_);
  std::ostream log(&beside);
  log << "before any progress\n" << std::flush;
  EXPECT_EQ("", terminal_.str());  // nothing shown: nothing to take off
  Send(RunEventKind::kStarted);
  Send(RunEventKind::kScanned, 2, 0);
  const size_t drawn = terminal_.str().size();
  log << "[COPIED] a\n" << std::flush;
  EXPECT_EQ("\r\033[K", terminal_.str().substr(drawn));
  log << 'x' << std::flush;  // once off, it stays off until the next drawing
  EXPECT_EQ(drawn + 4, terminal_.str().size());
  EXPECT_EQ("before any progress\n[COPIED] a\nx", out.str());
  EXPECT_EQ(std::string::npos, out.str().find('\r'));
}

}  // namespace
}  // namespace qs
