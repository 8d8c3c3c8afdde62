// UTF-8 paths into the W calls' form: exact conversions that never guess, the "\\?\" prefix,
// and the system's path rules applied to the typed part of a path only.
#include <gtest/gtest.h>

#include <filesystem>

#include "os/win32/win32_error.h"
#include "os/win32/win32_path.h"
#include "os/win32/win32_text.h"

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
