// "Check Copies..." over the memory window, on a real backup in a temporary folder.
#include "app/check_dialog.h"

#include <gtest/gtest.h>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/operation_dialogs.h"
#include "tests/support/app_fixture.h"
#include "tests/support/file_time_setter.h"

namespace qs {
namespace {

using D = CheckDialog;
using test::CountOf;

class CheckDialogTest : public test::AppFixture {
 protected:
  CheckDialogTest() {
    Create();
    test::WriteFile(dir_ / "src/a.txt", "alpha");
    test::WriteFile(dir_ / "src/b.txt", "beta");
    Kept(&g_hSourceEdit).Type(dir_ / "src");
    Kept(&g_hTargetEdit).Type(dir_ / "dst");
    OnStartBackupNow(*app_);
    EXPECT_TRUE(WaitForThreadsToEnd());
    OpenCheckDialog(*app_);
  }
  test::MemoryDialog& Dialog() { return *window_.dialogs.back(); }
  std::string Message() { return Dialog().WithId(D::kMessage).GetText(1000); }
  void ClickAndWait(int id) {
    Dialog().Click(id);
    ASSERT_TRUE(WaitForThreadsToEnd());
  }
  /// Flips the first byte of the copy, keeping its size and last-write time.
  void FlipFirstByte(const std::string& copy) {
    const FileTime written = test::RealFs().Stat(copy).lastWrite;
    std::string bytes = test::ReadFile(copy);
    bytes[0] ^= 0x20;
    test::WriteFile(copy, bytes);
    ASSERT_TRUE(SetLastWriteTime(copy, written));
  }
  int LinesStartingWith(const std::string& start) {
    int count = 0;
    for (const std::string& line : BackupLogLines()) count += line.rfind(start, 0) == 0;
    return count;
  }
};

TEST_F(CheckDialogTest, AByteFlippedInACopyIsReportedInTheBackupLogAndRepairedOnRequest) {
  EXPECT_EQ("100", Dialog().WithId(D::kBudget).GetText(100));
  EXPECT_FALSE(Dialog().WithId(D::kRepair).IsChecked());
  FlipFirstByte(dir_ / "dst/a.txt");

  ClickAndWait(D::kCheck);
  EXPECT_EQ(1, LinesStartingWith("Damaged copy: " + dir_ / "dst/a.txt" + " (recorded hash "));
  EXPECT_EQ(1, LinesStartingWith("Check completed: 2 of 2 copies read"));
  // The dialog says in short what the check found; the log has the whole summary.
  EXPECT_EQ("Read 2 of 2 copies: 1 damaged, 0 changed outside the backup.", Message());
  EXPECT_EQ("Alpha", test::ReadFile(dir_ / "dst/a.txt"));
  EXPECT_TRUE(Dialog().WithId(D::kCheck).Enabled());

  Dialog().Click(D::kRepair);
  ClickAndWait(D::kCheck);
  EXPECT_EQ(1, LinesStartingWith("Repaired: " + dir_ / "dst/a.txt"));
  EXPECT_EQ("alpha", test::ReadFile(dir_ / "dst/a.txt"));
  EXPECT_EQ("", app_->claims.Holder(dir_ / "dst"));
}

TEST_F(CheckDialogTest, ABadShareGetsOneSentenceAndNothingRuns) {
  const size_t lines_before = BackupLogLines().size();
  for (const char* budget : {"0", "101", "ten", ""}) {
    Dialog().WithId(D::kBudget).Type(budget);
    ClickAndWait(D::kCheck);
    EXPECT_EQ("The share to read is a whole percentage from 1 to 100, not \"" +
                  std::string(budget) + "\".",
              Message());
  }
  EXPECT_EQ(lines_before, BackupLogLines().size());
}

TEST_F(CheckDialogTest, ACheckIsNotStartedOnATargetAnotherOperationHolds) {
  std::string holder;
  const auto prune = app_->claims.Claim(dir_ / "dst", "a prune", &holder);
  ASSERT_TRUE(prune);
  FlipFirstByte(dir_ / "dst/a.txt");
  ClickAndWait(D::kCheck);
  const std::string sentence = "Not started: a prune is writing to " + dir_ / "dst" + ".";
  EXPECT_EQ(sentence, Message());
  EXPECT_EQ(sentence, BackupLogLines().back());
  EXPECT_EQ(0, LinesStartingWith("Damaged copy: "));
}

}  // namespace
}  // namespace qs
