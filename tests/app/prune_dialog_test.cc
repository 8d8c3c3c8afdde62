// "Prune Versions..." over the memory window: the rules as typed, what would go shown first,
// and only then the removal, of exactly what was shown.
#include "app/prune_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/app_state.h"
#include "app/operation_dialogs.h"
#include "tests/support/app_fixture.h"

namespace qs {
namespace {

using test::CountOf;
using D = PruneDialog;

class PruneDialogTest : public test::AppFixture {
 protected:
  PruneDialogTest() {
    Create();
    // Three folders of one day: 30 days plus 12 months keeps the newest of them only.
    for (const char* name : {"backup_20250131_060000", "backup_20250131_070000",
                             "backup_20250131_080000", "backup_20250130_080000"})
      test::WriteFile(dir_ / ("dst/" + std::string(name) + "/README.txt"), name);
    Kept(&g_hTargetEdit).Type(dir_ / "dst");
    OpenPruneDialog(*app_);
  }
  test::MemoryDialog& Dialog() { return *window_.dialogs.back(); }
  std::string Message() { return Dialog().WithId(D::kMessage).GetText(1000); }
  void ClickAndWait(int id) {
    Dialog().Click(id);
    ASSERT_TRUE(WaitForThreadsToEnd());
  }
  std::string Folder(const char* name) { return dir_ / ("dst/" + std::string(name)); }
};

TEST_F(PruneDialogTest, WhatWouldGoIsShownBeforeAnythingIsRemoved) {
  ASSERT_EQ(1u, window_.dialogs.size());
  EXPECT_TRUE(Dialog().shown);
  EXPECT_EQ("30", Dialog().WithId(D::kDaily).GetText(100));
  EXPECT_EQ("12", Dialog().WithId(D::kMonthly).GetText(100));
  for (int id : {D::kLast, D::kHourly, D::kWeekly, D::kWithin})
    EXPECT_EQ("", Dialog().WithId(id).GetText(100)) << id;
  EXPECT_FALSE(Dialog().WithId(D::kPrune).Enabled());
  // A click on the greyed button removes nothing.
  ClickAndWait(D::kPrune);
  EXPECT_TRUE(test::Exists(Folder("backup_20250131_060000")));

  ClickAndWait(D::kShowWhatWouldGo);
  const std::vector<std::string> would_go{Folder("backup_20250131_060000"),
                                          Folder("backup_20250131_070000")};
  std::vector<std::string> listed = Dialog().WithId(D::kWouldGo).Items();
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(would_go, listed);
  for (const std::string& path : would_go) {
    EXPECT_EQ(1, CountOf(BackupLogLines(), "Version folder would be removed: " + path));
    EXPECT_TRUE(test::Exists(path));
  }
  EXPECT_EQ(1, CountOf(BackupLogLines(), "Dry run: nothing was written."));
  EXPECT_TRUE(Dialog().WithId(D::kPrune).Enabled());

  ClickAndWait(D::kPrune);
  for (const std::string& path : would_go) {
    EXPECT_FALSE(test::Exists(path));
    EXPECT_EQ(1, CountOf(BackupLogLines(), "Version folder removed: " + path));
  }
  EXPECT_TRUE(test::Exists(Folder("backup_20250131_080000")));
  EXPECT_TRUE(test::Exists(Folder("backup_20250130_080000")));
  EXPECT_EQ("", app_->claims.Holder(dir_ / "dst"));
  // The removal used up its dry run.
  EXPECT_FALSE(Dialog().WithId(D::kPrune).Enabled());
}

TEST_F(PruneDialogTest, ChangingARuleOrTheTargetGreysPruneAgain) {
  ClickAndWait(D::kShowWhatWouldGo);
  ASSERT_TRUE(Dialog().WithId(D::kPrune).Enabled());
  Dialog().WithId(D::kLast).Type("3");
  Dialog().events.OnCommand(D::kLast);
  EXPECT_FALSE(Dialog().WithId(D::kPrune).Enabled());
  Dialog().WithId(D::kLast).Type("");
  Dialog().events.OnCommand(D::kLast);
  EXPECT_TRUE(Dialog().WithId(D::kPrune).Enabled());

  // The target field tells the dialog nothing: Prune looks at it again.
  test::WriteFile(dir_ / "dst2/backup_20250131_060000/README.txt", "x");
  test::WriteFile(dir_ / "dst2/backup_20250131_070000/README.txt", "x");
  Kept(&g_hTargetEdit).Type(dir_ / "dst2");
  ClickAndWait(D::kPrune);
  EXPECT_TRUE(test::Exists(dir_ / "dst2/backup_20250131_060000"));
  EXPECT_TRUE(test::Exists(Folder("backup_20250131_060000")));
  EXPECT_EQ("Show what would go for these rules and this target first.", Message());
  EXPECT_FALSE(Dialog().WithId(D::kPrune).Enabled());
}

TEST_F(PruneDialogTest, BadRulesGetOneSentenceAndNothingRuns) {
  const size_t lines_before = BackupLogLines().size();
  Dialog().WithId(D::kDaily).Type("thirty");
  ClickAndWait(D::kShowWhatWouldGo);
  EXPECT_EQ("A keep rule is a whole number of at most seven digits, not \"thirty\".", Message());
  for (int id : {D::kDaily, D::kMonthly}) Dialog().WithId(id).Type("0");
  ClickAndWait(D::kShowWhatWouldGo);
  EXPECT_EQ("Choose what to keep: every rule is empty or 0, which would keep nothing.", Message());
  EXPECT_TRUE(Dialog().WithId(D::kWouldGo).Items().empty());
  EXPECT_EQ(lines_before, BackupLogLines().size());
  EXPECT_FALSE(Dialog().WithId(D::kPrune).Enabled());
  EXPECT_TRUE(test::Exists(Folder("backup_20250131_060000")));
}

TEST_F(PruneDialogTest, ATargetWithoutVersionFoldersIsRefusedInTheWindowsWords) {
  test::WriteFile(dir_ / "plain/a.txt", "alpha");
  Kept(&g_hTargetEdit).Type(dir_ / "plain");
  ClickAndWait(D::kShowWhatWouldGo);
  const std::string sentence = "The target holds no version folders: " + dir_ / "plain";
  EXPECT_EQ(sentence, Message());
  EXPECT_EQ(1, CountOf(BackupLogLines(), sentence));
  EXPECT_FALSE(Dialog().WithId(D::kPrune).Enabled());
}

TEST_F(PruneDialogTest, APruneIsNotStartedOnATargetABackupHolds) {
  ClickAndWait(D::kShowWhatWouldGo);
  std::string holder;
  const auto backup = app_->claims.Claim(dir_ / "dst", "a backup", &holder);
  ASSERT_TRUE(backup);
  ClickAndWait(D::kPrune);
  const std::string sentence = "Not started: a backup is writing to " + dir_ / "dst" + ".";
  EXPECT_EQ(1, CountOf(BackupLogLines(), sentence));
  EXPECT_EQ(sentence, Message());
  EXPECT_TRUE(test::Exists(Folder("backup_20250131_060000")));
}

}  // namespace
}  // namespace qs
