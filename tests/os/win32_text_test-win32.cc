// UTF-8 to UTF-16 and back for the W calls: every character both ways, no look-alikes, broken
// input shown as broken, and cuts that never halve a character.
#include <gtest/gtest.h>

#include "os/win32/win32_error.h"
#include "os/win32/win32_text.h"

namespace qs::win32 {
namespace {

constexpr uint32_t kNoUnicodeTranslation = 1113;  // ERROR_NO_UNICODE_TRANSLATION

std::wstring Wide(const std::string& text) {
  std::wstring wide;
  EXPECT_TRUE(Utf8ToWide(text, &wide)) << text;
  return wide;
}

TEST(Win32TextTest, LookAlikesStayThemselves) {
  // A best-fit mapping to an ANSI code page would turn these into 'A', '/' and '"'.
  const std::string look_alikes = "\xEF\xBC\xA1 \xE2\x88\x95 \xE2\x80\x9C";  // U+FF21 U+2215 U+201C
  EXPECT_EQ(L"\uFF21 \u2215 \u201C", Wide(look_alikes));
  EXPECT_EQ(look_alikes, WideToUtf8(Wide(look_alikes)));
}

TEST(Win32TextTest, BrokenTextIsShownAsBroken) {
  EXPECT_EQ(L"a\uFFFDb", Utf8ToWideForDisplay("a\xFF"
                                              "b"));
  EXPECT_EQ(L"", Utf8ToWideForDisplay(""));
}

TEST(Win32TextTest, EveryScriptConvertsExactlyBothWays) {
  const std::string names[] = {"Привет.txt", "中文目录",          "😀.txt",       "e\u0301 \u00e9",
                               "ā a",        "．．＼outside.txt", "\u200b\u00ad"};
  for (const std::string& name : names) EXPECT_EQ(name, WideToUtf8(Wide(name)));
  EXPECT_EQ(L"\u041f\u0440\u0438\u0432\u0435\u0442.txt", Wide("Привет.txt"));
  EXPECT_EQ(L"\xD83D\xDE00", Wide("😀"));  // one code point, a surrogate pair
  EXPECT_EQ(L"\x0101", Wide("ā"));        // never "a"
}

TEST(Win32TextTest, TextThatIsNotUtf8IsRefusedNotGuessed) {
  std::wstring wide = L"left over";
  const std::string bad[] = {"caf\xe9", "\xC0\xAF", "\xED\xA0\x80", "abc\xF0\x9F\x98", "\x80"};
  for (const std::string& text : bad) {
    EXPECT_FALSE(Utf8ToWide(text, &wide));
    EXPECT_EQ(kNoUnicodeTranslation, LastError());
    EXPECT_TRUE(wide.empty());
  }
}

TEST(Win32TextTest, ALoneSurrogateOfANameGivesATextThatNeverConvertsBack) {
  // NTFS names may hold one; the name must fail where it is used, not become another name.
  const std::string text =
      WideToUtf8(std::wstring(L"a\xD800"
                              L"b"));
  EXPECT_EQ(
      "a\xED\xA0\x80"
      "b",
      text);
  std::wstring wide;
  EXPECT_FALSE(Utf8ToWide(text, &wide));
  EXPECT_EQ("\xED\xB0\x80", WideToUtf8(std::wstring(1, wchar_t{0xDC00})));
  EXPECT_EQ("😀", WideToUtf8(L"\xD83D\xDE00"));
}

TEST(Win32TextTest, ACutNeverHalvesAPair) {
  const std::wstring smiles = L"\U0001F600\U0001F600";  // four units
  EXPECT_EQ(L"\U0001F600", FirstUnits(smiles, 3));
  EXPECT_EQ(L"\U0001F600", FirstUnits(smiles, 2));
  EXPECT_EQ(L"", FirstUnits(smiles, 1));
  EXPECT_EQ(smiles, FirstUnits(smiles, 4));
  EXPECT_EQ(smiles, FirstUnits(smiles, 99));
  EXPECT_EQ(L"ab", FirstUnits(L"abc", 2));
}

}  // namespace
}  // namespace qs::win32
