// What a person at a Windows console sees of a line kept up to date beside the log.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/console_capture.h"

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

}  // namespace
}  // namespace qs
