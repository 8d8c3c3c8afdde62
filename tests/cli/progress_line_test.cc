// The progress line as a person at a terminal sees it beside the log: in sight after every log
// line, never wider than the terminal, gone from nothing it does not own; and as plain lines
// where standard error is no terminal.
#include "cli/progress_line.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "tests/support/test_support.h"

namespace qs {
namespace {

constexpr uint64_t kMiB = 1024 * 1024;

/// What a terminal of `columns` shows of the text written to it: "\r", "\n" (a new row),
/// ESC [ K, and a wrap when a character goes past the last column, as xterm and tmux do.
class Screen : public std::streambuf {
 public:
  explicit Screen(size_t columns) : columns(columns) {}
  std::vector<std::string> rows{""};
  size_t columns;
  bool wrapped = false;  ///< a line went past the last column

 protected:
  int_type overflow(int_type c) override {
    const char character = traits_type::to_char_type(c);
    Show(std::string_view(&character, 1));
    return c;
  }
  std::streamsize xsputn(const char* text, std::streamsize count) override {
    Show(std::string_view(text, static_cast<size_t>(count)));
    return count;
  }

 private:
  void Show(std::string_view text) {
    for (size_t at = 0; at < text.size(); ++at) {
      if (text.substr(at, 3) == "\033[K") {
        rows.back().resize(std::min(rows.back().size(), column_));
        at += 2;
      } else if (text[at] == '\r') {
        column_ = 0;
      } else if (text[at] == '\n') {
        rows.emplace_back(), column_ = 0;
      } else {
        if (column_ >= columns) rows.emplace_back(), column_ = 0, wrapped = true;
        if (rows.back().size() <= column_) rows.back().resize(column_ + 1, ' ');
        rows.back()[column_++] = text[at];
      }
    }
  }
  size_t column_ = 0;
};

class ProgressLineTest : public test::JobFixture {
 protected:
  void Send(RunEventKind kind, size_t count = 0, uint64_t bytes = 0) {
    line_.OnRunEvent({.kind = kind, .count = count, .bytes = bytes});
  }
  /// The rows shown, the empty row the cursor waits on left out.
  std::vector<std::string> Rows() {
    std::vector<std::string> rows = screen_.rows;
    if (!rows.empty() && rows.back().empty()) rows.pop_back();
    return rows;
  }

  int columns_ = 80;
  Screen screen_{80};
  std::ostream terminal_{&screen_};
  ProgressLine line_{clock_, terminal_, {true, [this] { return columns_; }, nullptr}};
  LogBesideProgress beside_{screen_, line_};
  std::ostream log_{&beside_};
};

TEST_F(ProgressLineTest, InSightBelowEveryLogLineAndNoPieceOfItAmongThem) {
  Send(RunEventKind::kStarted);
  log_ << "Starting backup...\n" << std::flush;
  Send(RunEventKind::kScanned, 4, 40 * kMiB);
  log_ << "Found 4 files.\n" << std::flush;
  std::vector<std::string> logged = {"Starting backup...", "Found 4 files."};
  for (int file = 1; file <= 4; ++file) {
    clock_.Advance(test::kSecondNanos / 1000);  // faster than the line is brought up to date
    Send(RunEventKind::kCopied, 0, 10 * kMiB);
    logged.push_back("[COPIED] f" + std::to_string(file));
    log_ << logged.back() << "\n" << std::flush;
    std::vector<std::string> shown = logged;
    shown.push_back(std::to_string(file) + "/4 files  " + std::to_string(10 * file) +
                    ".0 MiB of 40.0 MiB");
    std::vector<std::string> rows = Rows();
    ASSERT_EQ(shown.size(), rows.size()) << ::testing::PrintToString(rows);
    rows.back().resize(shown.back().size());
    EXPECT_EQ(shown, rows);
  }
  Send(RunEventKind::kEnded);
  log_ << "Backup operation completed.\n" << std::flush;
  logged.push_back("4/4 files  40.0 MiB of 40.0 MiB  10000.0 MiB/s  time left: 0:00");
  logged.push_back("Backup operation completed.");
  EXPECT_EQ(logged, Rows());  // its last state on a row of its own, then the log goes on
}

TEST_F(ProgressLineTest, NeverWiderThanTheTerminalAndFollowsAResize) {
  Send(RunEventKind::kStarted);
  Send(RunEventKind::kScanned, 1000, 100000 * kMiB);
  clock_.Advance(test::kSecondNanos);
  Send(RunEventKind::kCopied, 0, 10 * kMiB);
  EXPECT_EQ("1/1000 files  10.0 MiB of 97.7 GiB  0.0 MiB/s  time left: ...", Rows().back());
  screen_.columns = columns_ = 40;
  for (int file = 0; file < 50; ++file) {
    clock_.Advance(test::kSecondNanos / 5);
    Send(RunEventKind::kCopied, 0, 10 * kMiB);
    log_ << "[COPIED] f" << file << "\n" << std::flush;
    EXPECT_LE(Rows().back().size(), 39u) << Rows().back();
  }
  // The rate and the files made room; the rows above are the log's alone.
  EXPECT_EQ("510.0 MiB of 97.7 GiB  time left: 18:10", Rows().back());
  EXPECT_EQ("[COPIED] f49", Rows()[Rows().size() - 2]);
  EXPECT_FALSE(screen_.wrapped) << ::testing::PrintToString(Rows());
}

TEST_F(ProgressLineTest, DrawnAtMostTenTimesASecondWithoutTheLog) {
  std::ostringstream raw;
  ProgressLine line(clock_, raw, {true, [] { return 80; }, nullptr});
  line.OnRunEvent({.kind = RunEventKind::kStarted});
  line.OnRunEvent({.kind = RunEventKind::kScanned, .count = 1000});
  for (int i = 0; i < 1000; ++i) {
    clock_.Advance(test::kSecondNanos / 1000);  // a file each millisecond for a second
    line.OnRunEvent({.kind = RunEventKind::kCopied});
  }
  const std::string text = raw.str();
  int draws = 0;
  for (size_t at = 0; (at = text.find('\r', at)) != std::string::npos; ++at) ++draws;
  EXPECT_GE(draws, 10);
  EXPECT_LE(draws, 12);  // the start, the scan, and ten a second
  EXPECT_EQ(std::string::npos, text.find('\n'));
}

TEST_F(ProgressLineTest, TheTimeLeftOnceThereIsAFairBasisThenNothingLeft) {
  Send(RunEventKind::kStarted);
  Send(RunEventKind::kScanned, 20, 20 * kMiB);
  for (int file = 1; file <= 20; ++file) {
    clock_.Advance(test::kSecondNanos / 2);  // 2 MiB a second, steadily
    Send(RunEventKind::kCopied, 0, kMiB);
    const std::string shown = Rows().back();
    const std::string left = shown.substr(shown.find("time left: ") + 11);
    if (file < 7) {  // three seconds from the first file done
      EXPECT_EQ("...", left) << file;
    } else if (file < 20) {
      EXPECT_EQ("0:" + std::string(10 - file / 2 < 10 ? "0" : "") + std::to_string(10 - file / 2),
                left.substr(0, 4))
          << shown;
      EXPECT_NE(std::string::npos, shown.find("2.0 MiB/s")) << shown;
    }
  }
  Send(RunEventKind::kEnded);
  EXPECT_EQ("20/20 files  20.0 MiB of 20.0 MiB  2.0 MiB/s  time left: 0:00", Rows().back());
  log_ << "Backup operation completed.\n" << std::flush;
  EXPECT_EQ("Backup operation completed.", Rows().back());  // and the line is not drawn again
  EXPECT_EQ("20/20 files  20.0 MiB of 20.0 MiB  2.0 MiB/s  time left: 0:00", Rows()[0]);
}

TEST_F(ProgressLineTest, CopiesMadeAheadOfTheirLinesCountOnceAndTheLinesCatchUp) {
  Send(RunEventKind::kStarted);
  Send(RunEventKind::kScanned, 10, 10 * kMiB);
  clock_.Advance(test::kSecondNanos);
  Send(RunEventKind::kCopying, 6, 6 * kMiB);  // six made, none of them logged yet
  EXPECT_EQ(0u, Rows().back().find("6/10 files  6.0 MiB of 10.0 MiB")) << Rows().back();
  for (int file = 0; file < 6; ++file) {  // their lines come: nothing counts twice
    clock_.Advance(test::kSecondNanos);
    Send(RunEventKind::kCopied, 0, kMiB);
  }
  EXPECT_EQ(0u, Rows().back().find("6/10 files  6.0 MiB of 10.0 MiB")) << Rows().back();
  clock_.Advance(test::kSecondNanos);
  Send(RunEventKind::kCopied, 0, kMiB);  // the lines pass what was told ahead
  EXPECT_EQ(0u, Rows().back().find("7/10 files  7.0 MiB of 10.0 MiB")) << Rows().back();
}

/// A log stream that counts its flushes.
struct CountedFlushes : std::streambuf {
  int sync() override { return ++flushes, 0; }
  int flushes = 0;
};

TEST_F(ProgressLineTest, ElsewhereAPlainLineEveryFiveSecondsAndOneAtTheEnd) {
  std::ostringstream file;
  CountedFlushes log_buffer;
  std::ostream log(&log_buffer);
  ProgressLine line(clock_, file, {false, nullptr, &log});
  line.OnRunEvent({.kind = RunEventKind::kStarted});
  line.OnRunEvent({.kind = RunEventKind::kScanned, .count = 12, .bytes = 12 * kMiB});
  for (int second = 1; second <= 12; ++second) {
    clock_.Advance(test::kSecondNanos);
    line.OnRunEvent({.kind = RunEventKind::kCopied, .bytes = kMiB});
  }
  line.OnRunEvent({.kind = RunEventKind::kEnded});
  EXPECT_EQ(
      "5/12 files  5.0 MiB of 12.0 MiB  1.0 MiB/s  time left: 0:07\n"
      "10/12 files  10.0 MiB of 12.0 MiB  1.0 MiB/s  time left: 0:02\n"
      "12/12 files  12.0 MiB of 12.0 MiB  1.0 MiB/s  time left: 0:00\n",
      file.str());
  EXPECT_EQ(3, log_buffer.flushes);  // the log's lines are out before each of these
  line.Clear();
  line.Restore();
  EXPECT_EQ(std::string::npos, file.str().find_first_of("\r\033"));
}

}  // namespace
}  // namespace qs
