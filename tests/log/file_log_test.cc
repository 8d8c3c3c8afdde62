// The file operations log: routing by category, shortened paths, reset and the 300/150 trim.
#include "log/file_log.h"

#include <gtest/gtest.h>

#include <sstream>

#include "engine/backup_job.h"
#include "tests/support/memory_log_pane.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::Native;
using test::PaneLines;
using test::WithoutStamps;

class FileLogTest : public ::testing::Test {
 protected:
  JobServices Services() { return test::TestServices(&fs_, &clock_, &console_); }

  test::FaultyFileSystem fs_;
  test::FakeClock clock_;
  std::ostringstream console_;
  MemoryLogPane backup_pane_;
  MemoryLogPane file_pane_;
};

TEST_F(FileLogTest, RelativePathCutsTheSourceRootByteForByte) {
  const std::string root = Native("/src/");
  EXPECT_EQ(Native("sub/a.txt"), RelativePath(root, Native("/src/sub/a.txt")));
  EXPECT_EQ(Native("sub/a.txt"), RelativePath(Native("/src"), Native("/src/sub/a.txt")));
  EXPECT_EQ(Native("/SRC/a.txt"), RelativePath(root, Native("/SRC/a.txt")));
  EXPECT_EQ(Native("/other/a.txt"), RelativePath(root, Native("/other/a.txt")));
  EXPECT_EQ("Session started", RelativePath(root, "Session started"));
  EXPECT_EQ("x", RelativePath("", "x"));
  EXPECT_EQ("", RelativePath(root, root));
}

TEST_F(FileLogTest, ResetLeavesOnlyTheHeader) {
  AppendFileLogLine(&file_pane_, "old");
  ResetFileLog(&file_pane_);
  EXPECT_EQ("=== File Operation Log ===\r\n", file_pane_.Text());
  EXPECT_EQ(2, file_pane_.LineCount());
  ResetFileLog(nullptr);
  AppendFileLogLine(nullptr, "nothing");
  TrimFileLog(nullptr);
}

TEST_F(FileLogTest, ThreeHundredLinesTrimOnTheEntryAfterNext) {
  for (int i = 1; i <= 299; ++i) AppendFileLogLine(&file_pane_, "l" + std::to_string(i));
  ASSERT_EQ(300, file_pane_.LineCount());
  AppendFileLogLine(&file_pane_, "l300");
  ASSERT_EQ(301, file_pane_.LineCount());
  AppendFileLogLine(&file_pane_, "l301");
  const std::vector<std::string> lines = PaneLines(file_pane_.Text());
  ASSERT_EQ(151u, lines.size());
  EXPECT_EQ(152, file_pane_.LineCount());
  EXPECT_EQ("l152", lines.front());
  EXPECT_EQ("l300", lines[148]);
  EXPECT_EQ("=== File log cleaned (keeping latest 150 lines) ===", lines[149]);
  EXPECT_EQ("l301", lines[150]);
}

TEST_F(FileLogTest, TrimFileLogLeavesThreeHundredLinesAlone) {
  for (int i = 1; i <= 299; ++i) AppendFileLogLine(&file_pane_, "l" + std::to_string(i));
  const std::string before = file_pane_.Text();
  file_pane_.ScrollBy(-1000);
  TrimFileLog(&file_pane_);
  EXPECT_EQ(before, file_pane_.Text());
  EXPECT_EQ(0, file_pane_.FirstVisibleLine());
  AppendFileLogLine(&file_pane_, "l300");
  TrimFileLog(&file_pane_);
  EXPECT_EQ(151, file_pane_.LineCount());
  EXPECT_EQ(150, file_pane_.FirstVisibleLine());
}

}  // namespace
}  // namespace qs
