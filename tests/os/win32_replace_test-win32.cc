// A finished temporary file put in place of a read-only, hidden or system target copy. Wine
// lets a move replace a read-only file; Windows refuses it with ERROR_ACCESS_DENIED, and so
// does the WindowsRules double these tests run the calls through. A move that fails for
// another reason (another program holds the old copy open) leaves the old copy as it was.
#include <gtest/gtest.h>

#include <cstdio>

#include "os/file_system.h"
#include "os/win32/win32_entry_kind.h"
#include "os/win32/win32_path.h"
#include "os/win32/win32_replace.h"
#include "tests/support/file_hold.h"
#include "tests/support/test_support.h"
#include "tests/support/windows_rules.h"

namespace qs::win32 {
namespace {

using test::AttributesOf;
using test::SetAttributes;

constexpr uint32_t kAccessDenied = 5;
constexpr uint32_t kHiddenSystem = kAttributeHidden | kAttributeSystem;

/// The double's record of a SetAttributes call.
std::string SetCall(const std::string& name, uint32_t attributes) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%x", static_cast<unsigned>(attributes));
  return "set " + name + " " + hex;
}

class Win32ReplaceTest : public ::testing::Test {
 protected:
  std::wstring System(const std::string& relative) {
    std::wstring system;
    EXPECT_TRUE(ToSystemPath(dir_ / relative, &system));
    return system;
  }
  /// A file with `content` and `attributes`.
  std::string File(const std::string& relative, const std::string& content, uint32_t attributes) {
    test::WriteFile(dir_ / relative, content);
    EXPECT_TRUE(SetAttributes(dir_ / relative, attributes));
    return dir_ / relative;
  }

  test::ScopedTempDir dir_;
  test::WindowsRules rules_;
};

TEST_F(Win32ReplaceTest, AReadOnlyCopyIsReplacedAndTheNewFileKeepsItsOwnAttributes) {
  const std::string old_copy = File("отчёт.txt", "old", kAttributeReadOnly | kHiddenSystem);
  const uint32_t before = AttributesOf(old_copy);
  File("new.tmp", "new", kAttributeArchive);
  EXPECT_EQ(0u, ReplaceTarget(rules_, System("new.tmp"), System("отчёт.txt")));
  EXPECT_EQ("new", test::ReadFile(old_copy));
  EXPECT_EQ(kAttributeArchive, AttributesOf(old_copy));
  EXPECT_EQ((std::vector<std::string>{SetCall("отчёт.txt", before & ~kAttributeReadOnly),
                                      "move отчёт.txt"}),
            rules_.Calls());
  EXPECT_EQ(std::vector<std::string>{"отчёт.txt"}, test::ListTree(dir_.path()));
}

TEST_F(Win32ReplaceTest, AFailedReplaceLeavesTheOldCopyWithItsReadOnlyMark) {
  const std::string old_copy = File("a.txt", "old", kAttributeReadOnly | kHiddenSystem);
  File("new.tmp", "new", kAttributeArchive);
  const uint32_t before = AttributesOf(old_copy);
  FileHold held(old_copy);  // another program has the old copy open
  ASSERT_TRUE(held.ok());
  EXPECT_NE(0u, ReplaceTarget(rules_, System("new.tmp"), System("a.txt")));
  EXPECT_EQ("old", test::ReadFile(old_copy));
  EXPECT_EQ(before, AttributesOf(old_copy));
  EXPECT_EQ((std::vector<std::string>{SetCall("a.txt", before & ~kAttributeReadOnly), "move a.txt",
                                      SetCall("a.txt", before)}),  // put back
            rules_.Calls());
}

// Windows finds Notes.txt for notes.txt: a move onto notes.txt would put this file in that
// one's place. Refused before any call that changes something.
TEST_F(Win32ReplaceTest, AFileKeptUnderAnotherSpellingIsNeverReplaced) {
  const std::string old_copy = File("Notes.txt", "old", kAttributeReadOnly);
  File("new.tmp", "new", kAttributeArchive);
  EXPECT_EQ(0u, CheckStoredName(System("Notes.txt")));
  EXPECT_EQ(kErrorStoredUnderOtherName, CheckStoredName(System("notes.txt")));
  EXPECT_EQ(kErrorStoredUnderOtherName,
            ReplaceTarget(rules_, System("new.tmp"), System("notes.txt")));
  EXPECT_EQ("old", test::ReadFile(old_copy));
  EXPECT_EQ(kAttributeReadOnly, AttributesOf(old_copy) & kAttributeReadOnly);
  EXPECT_TRUE(rules_.Calls().empty());
  EXPECT_EQ((std::vector<std::string>{"Notes.txt", "new.tmp"}), test::ListTree(dir_.path()));
  // Spelt as it is kept, it is replaced as always.
  EXPECT_EQ(0u, ReplaceTarget(rules_, System("new.tmp"), System("Notes.txt")));
  EXPECT_EQ("new", test::ReadFile(old_copy));
}

TEST_F(Win32ReplaceTest, HiddenAndSystemCopiesAreReplacedAsTheyAre) {
  const std::string old_copy = File("h.txt", "old", kHiddenSystem);
  File("new.tmp", "new", kAttributeReadOnly);
  EXPECT_EQ(0u, ReplaceTarget(rules_, System("new.tmp"), System("h.txt")));
  EXPECT_EQ("new", test::ReadFile(old_copy));
  EXPECT_EQ(kAttributeReadOnly, AttributesOf(old_copy) & ~kAttributeArchive);
  EXPECT_EQ(std::vector<std::string>{"move h.txt"}, rules_.Calls());
}

TEST_F(Win32ReplaceTest, NothingButAFileIsReplaced) {
  test::MakeDirs(dir_ / "d/inner");
  File("new.tmp", "new", kAttributeArchive);
  EXPECT_EQ(kAccessDenied, CheckReplaceable(rules_, System("d")));
  EXPECT_EQ(kAccessDenied, ReplaceTarget(rules_, System("new.tmp"), System("d")));
  EXPECT_TRUE(rules_.Calls().empty());
  EXPECT_TRUE(test::Exists(dir_ / "d/inner"));
  EXPECT_EQ(0u, CheckReplaceable(rules_, System("missing")));
  EXPECT_EQ(0u, CheckReplaceable(rules_, System("new.tmp")));
  EXPECT_EQ(0u, ReplaceTarget(rules_, System("new.tmp"), System("missing")));
  EXPECT_EQ("new", test::ReadFile(dir_ / "missing"));
}

TEST_F(Win32ReplaceTest, AReadOnlyTemporaryFileIsRemovedAllTheSame) {
  const std::string temp = File(".qs-tmp-abcdefghij", "x", kAttributeReadOnly);
  const uint32_t before = AttributesOf(temp);
  EXPECT_EQ(0u, DiscardFile(rules_, System(".qs-tmp-abcdefghij")));
  EXPECT_FALSE(test::Exists(temp));
  EXPECT_EQ((std::vector<std::string>{SetCall(".qs-tmp-abcdefghij", before & ~kAttributeReadOnly),
                                      "remove .qs-tmp-abcdefghij"}),
            rules_.Calls());
}

}  // namespace
}  // namespace qs::win32
