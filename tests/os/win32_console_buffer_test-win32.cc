// UTF-8 text on its way to a console as characters: held until a flush, never split inside a
// character, whatever pieces it arrives in.
#include <gtest/gtest.h>

#include <ostream>

#include "os/win32/win32_console_buffer.h"

namespace qs::win32 {
namespace {

class Win32ConsoleBufferTest : public ::testing::Test {
 protected:
  Win32ConsoleBufferTest()
      : buffer_([this](std::wstring_view text) {
          shown_.append(text);
          ++writes_;
          return true;
        }),
        stream_(&buffer_) {}

  std::wstring shown_;
  int writes_ = 0;
  ConsoleBuffer buffer_;
  std::ostream stream_;
};

TEST_F(Win32ConsoleBufferTest, EveryScriptShowsAsItsCharacters) {
  stream_ << "[COPIED] Документы\\отчёт.txt 中文 😀 e\u0301 ā\n" << std::flush;
  EXPECT_EQ(
      L"[COPIED] \u0414\u043e\u043a\u0443\u043c\u0435\u043d\u0442\u044b\\"
      L"\u043e\u0442\u0447\u0451\u0442.txt \u4e2d\u6587 \xD83D\xDE00 e\u0301 \u0101\n",
      shown_);
}

TEST_F(Win32ConsoleBufferTest, ACharacterSplitAcrossFlushesShowsWhole) {
  const std::string text = "Привет 中文 😀\n";
  for (const char byte : text) stream_ << byte << std::flush;
  EXPECT_EQ(L"\u041f\u0440\u0438\u0432\u0435\u0442 \u4e2d\u6587 \xD83D\xDE00\n", shown_);
  EXPECT_EQ(std::wstring::npos, shown_.find(L'\xFFFD'));
}

TEST_F(Win32ConsoleBufferTest, TextWaitsForTheFlushUnlessItGrowsLarge) {
  stream_ << "one line\n";
  EXPECT_EQ(0, writes_);  // into a console, the writer flushes once per line
  stream_ << std::flush;
  EXPECT_EQ(1, writes_);
  stream_ << std::string(100000, 'x');
  EXPECT_GE(writes_, 2);
  stream_ << std::flush;
  EXPECT_EQ(9u + 100000u, shown_.size());
}

TEST_F(Win32ConsoleBufferTest, BytesThatAreNotUtf8ShowAsReplacementCharacters) {
  stream_ << "caf\xe9 ok\n" << std::flush;
  EXPECT_EQ(L"caf\xFFFD ok\n", shown_);
}

}  // namespace
}  // namespace qs::win32
