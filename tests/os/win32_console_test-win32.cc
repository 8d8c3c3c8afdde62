// What a person at a Windows console sees of a line kept up to date beside the log.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "os/win32/win32_console_write.h"
#include "os/win32/win32_handle.h"
#include "tests/support/console_capture.h"

namespace qs {
namespace {

using Screen = std::vector<std::string>;

TEST(Win32ConsoleTest, ALineKeptUpToDateLeavesNothingOfItsLongerTextBehind) {
  // As the progress line draws itself, is taken off for a log line, and is drawn again.
  EXPECT_EQ((Screen{"[COPIED] a.txt", "2/8 files"}),
            ShowOnConsole("\r1/8 files  0.0 MiB/s  time left: 0:01\x1b[K"
                          "\r\x1b[K[COPIED] a.txt\n"
                          "\r2/8 files\x1b[K"));
  // Only what follows the cursor goes, in any script.
  EXPECT_EQ((Screen{"Привет", "中文"}),
            ShowOnConsole("Привет 😀 мир\rПривет\x1b[K\n中文目录\r中文\x1b[K"));
  // Nothing else of the text is taken for an escape.
  EXPECT_EQ((Screen{"[K \x1b[ K"}), ShowOnConsole("[K \x1b[ K"));
}

TEST(Win32ConsoleTest, TheWidthIsTheWindowsAndFollowsAResize) {
  FreeConsole();
  ASSERT_TRUE(AllocConsole());
  const HANDLE screen =
      CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, CONSOLE_TEXTMODE_BUFFER, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, screen);
  win32::ScopedHandle owned(screen);
  ASSERT_TRUE(SetConsoleScreenBufferSize(screen, {120, 300}));
  CONSOLE_SCREEN_BUFFER_INFO info;
  ASSERT_TRUE(GetConsoleScreenBufferInfo(screen, &info));
  for (const SHORT columns : {80, 40, 100}) {
    SMALL_RECT window = info.srWindow;
    window.Left = 0;
    window.Right = static_cast<SHORT>(columns - 1);
    ASSERT_TRUE(SetConsoleWindowInfo(screen, TRUE, &window));
    EXPECT_EQ(columns, win32::ConsoleColumns(screen));
  }
  FreeConsole();
  // A file or a pipe is no console: no width.
  EXPECT_EQ(0, win32::ConsoleColumns(INVALID_HANDLE_VALUE));
}

}  // namespace
}  // namespace qs
