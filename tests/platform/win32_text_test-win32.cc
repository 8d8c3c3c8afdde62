// UTF-8 to UTF-16 and back for the W calls: every character both ways, no look-alikes, broken
// input shown as broken, and cuts that never halve a character.
#include <gtest/gtest.h>

#include "platform/win32_text.h"

namespace qs::win32 {
namespace {

TEST(Win32TextTest, EveryCharacterGoesBothWays) {
  // Latin, Greek, CJK, an emoji outside the Basic Multilingual Plane, and a path.
  const std::string text = "Ünïcødé Ωμέγα 日本語 \xF0\x9F\x98\x80 C:\\Users\\Zoë\\文書";
  const std::wstring wide = WideFromUtf8(text);
  EXPECT_EQ(L"Ünïcødé Ωμέγα 日本語 \U0001F600 C:\\Users\\Zoë\\文書", wide);
  EXPECT_EQ(text, Utf8FromWide(wide));
  EXPECT_EQ(L"", WideFromUtf8(""));
  EXPECT_EQ("", Utf8FromWide(L""));
}

TEST(Win32TextTest, LookAlikesStayThemselves) {
  // A best-fit mapping to an ANSI code page would turn these into 'A', '/' and '"'.
  const std::string look_alikes = "\xEF\xBC\xA1 \xE2\x88\x95 \xE2\x80\x9C";  // U+FF21 U+2215 U+201C
  EXPECT_EQ(L"\uFF21 \u2215 \u201C", WideFromUtf8(look_alikes));
  EXPECT_EQ(look_alikes, Utf8FromWide(WideFromUtf8(look_alikes)));
}

TEST(Win32TextTest, BrokenTextShowsAsBroken) {
  EXPECT_EQ(L"a\uFFFDb", WideFromUtf8("a\xFF"
                                      "b"));
  EXPECT_EQ(
      "a\xEF\xBF\xBD"
      "b",
      Utf8FromWide(std::wstring{L'a', wchar_t(0xD800), L'b'}));
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
