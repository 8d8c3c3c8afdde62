// UTF-8 paths into the W calls' form: exact conversions that never guess, the "\\?\" prefix,
// and the system's path rules applied to the typed part of a path only.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/win32_error.h"
#include "platform/win32_path.h"
#include "platform/win32_text.h"

namespace qs::win32 {
namespace {

constexpr uint32_t kNoUnicodeTranslation = 1113;  // ERROR_NO_UNICODE_TRANSLATION
constexpr uint32_t kInvalidName = 123;            // ERROR_INVALID_NAME

std::wstring Wide(const std::string& utf8) {
  std::wstring wide;
  EXPECT_TRUE(Utf8ToWide(utf8, &wide)) << utf8;
  return wide;
}

std::wstring System(const std::string& path) {
  std::wstring system;
  EXPECT_TRUE(ToSystemPath(path, &system)) << path;
  return system;
}

std::wstring CurrentFolder() { return std::filesystem::current_path().wstring(); }

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

TEST(Win32PathTest, AbsolutePathsGetThePrefixAndKeepEveryName) {
  EXPECT_EQ(L"\\\\?\\C:\\a\\b", System("C:\\a\\b"));
  EXPECT_EQ(L"\\\\?\\C:\\a\\b", System("C:\\a\\b\\"));
  EXPECT_EQ(L"\\\\?\\C:\\", System("C:\\"));
  EXPECT_EQ(L"\\\\?\\UNC\\server\\share\\x", System("\\\\server\\share\\x"));
  // Names that the Win32 rules would change: trailing dots and spaces, device names, and
  // fullwidth dots and backslash that a best-fit mapping turns into "..\".
  EXPECT_EQ(L"\\\\?\\C:\\src\\foo. ", System("C:\\src\\foo. "));
  EXPECT_EQ(L"\\\\?\\C:\\src\\aux.txt", System("C:\\src\\aux.txt"));
  EXPECT_EQ(Wide("\\\\?\\C:\\src\\．．＼outside.txt"), System("C:\\src\\．．＼outside.txt"));
  EXPECT_EQ(Wide("\\\\?\\D:\\Документы\\中文\\😀.txt"), System("D:\\Документы\\中文\\😀.txt"));
}

TEST(Win32PathTest, PathsInTheSystemsNamespaceAreTakenAsTheyAre) {
  EXPECT_EQ(L"\\\\?\\C:\\x\\..\\y\\", System("\\\\?\\C:\\x\\..\\y\\"));
  EXPECT_EQ(L"\\\\.\\pipe\\p", System("\\\\.\\pipe\\p"));
}

TEST(Win32PathTest, OnlyTheTypedPartGoesThroughTheSystemsRules) {
  EXPECT_EQ(0u, TypedPartLength(L"C:\\src\\sub\\aux.txt"));
  EXPECT_EQ(7u, TypedPartLength(L"C:/src/sub\\aux.txt"));
  EXPECT_EQ(9u, TypedPartLength(L"C:\\src\\..\\dst\\foo."));
  EXPECT_EQ(2u, TypedPartLength(L"C:src\\x"));
  EXPECT_EQ(1u, TypedPartLength(L"\\src\\x"));
  EXPECT_EQ(7u, TypedPartLength(L"C:\\src\\\\x"));  // an empty component
  EXPECT_EQ(0u, TypedPartLength(L"\\\\server\\share\\x"));
  // The names after the typed part stay exactly as a listing gave them: with a root typed
  // with slashes, "aux.txt" is still the file, not the AUX device, and "foo." keeps its dot.
  EXPECT_EQ(L"\\\\?\\C:\\src\\sub\\aux.txt", System("C:/src/sub\\aux.txt"));
  EXPECT_EQ(L"\\\\?\\C:\\dst\\foo.", System("C:\\src\\..\\dst\\foo."));
  EXPECT_EQ(L"\\\\?\\C:\\dst\\x", System("C:\\dst\\.\\x"));
  EXPECT_EQ(L"\\\\?\\C:\\src\\x", System("C:\\src\\\\x"));
  EXPECT_EQ(L"\\\\?\\UNC\\server\\share\\x", System("//server/share/x"));
  EXPECT_EQ(L"\\\\?\\C:\\a\\b", System("C:/a/b/"));
}

TEST(Win32PathTest, RelativePathsAreMadeFullFromTheWorkingFolder) {
  const std::wstring here = CurrentFolder();
  ASSERT_TRUE(IsAbsolute(here));
  EXPECT_EQ(WithExtendedPrefix(here + L"\\" + Wide("Документы")), System("Документы"));
  EXPECT_EQ(WithExtendedPrefix(here + L"\\foo."), System("foo."));
  EXPECT_EQ(WithExtendedPrefix(here + L"\\x"), System(".\\x"));
  EXPECT_EQ(WithExtendedPrefix(here), System("."));
  const std::wstring drive = here.substr(0, 2);
  EXPECT_EQ(WithExtendedPrefix(here + L"\\a b"), System(WideToUtf8(drive) + "a b"));
  EXPECT_EQ(WithExtendedPrefix(drive + L"\\top"), System("\\top"));
}

TEST(Win32PathTest, PathsOfAnyLengthAreMadeWhole) {
  std::string deep = "C:";
  while (Wide(deep).size() < 5000) deep += "\\Папка_中文_" + std::to_string(deep.size());
  EXPECT_EQ(L"\\\\?\\" + Wide(deep), System(deep));
  // A typed part far beyond 260 characters goes through GetFullPathNameW whole.
  std::string typed = deep;
  for (char& c : typed)
    if (c == '\\') c = '/';
  EXPECT_EQ(L"\\\\?\\" + Wide(deep), System(typed + "/."));
  EXPECT_EQ(L"\\\\?\\" + Wide(deep.substr(0, deep.rfind('\\')) + "\\x"), System(deep + "\\..\\x"));
}

TEST(Win32PathTest, PathsThatNameNoFileFailWithTheirCode) {
  std::wstring system;
  EXPECT_FALSE(ToSystemPath("C:\\caf\xe9.txt", &system));
  EXPECT_EQ(kNoUnicodeTranslation, LastError());
  EXPECT_FALSE(ToSystemPath(std::string("C:\\a\0b", 6), &system));
  EXPECT_EQ(kInvalidName, LastError());
  EXPECT_FALSE(ToSystemPath("", &system));
  EXPECT_EQ(3u, LastError());  // ERROR_PATH_NOT_FOUND
}

TEST(Win32PathTest, TheFolderOfASystemPath) {
  EXPECT_EQ(L"\\\\?\\C:\\a", FolderOf(L"\\\\?\\C:\\a\\b"));
  EXPECT_EQ(L"\\\\?\\C:", FolderOf(L"\\\\?\\C:\\b"));
}

}  // namespace
}  // namespace qs::win32
