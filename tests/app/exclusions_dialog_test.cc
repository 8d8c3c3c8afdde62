// "Exclusions…" over the memory window: the file's patterns listed, the typed pattern checked
// as it changes, Add, Remove, Save and Cancel, and one dialog at a time.
#include "app/exclusions_dialog.h"

#include <gtest/gtest.h>

#include "app/commands.h"
#include "tests/support/app_fixture.h"

namespace qs {
namespace {

using Lines = std::vector<std::string>;

int Id(ExclusionsDialogId id) { return static_cast<int>(id); }

class ExclusionsDialogTest : public test::AppFixture {
 protected:
  ExclusionsDialogTest() { Create(); }
  std::string ExcludesFile() { return dir_ / "backup_excludes.txt"; }
  test::MemoryDialog& Open() {
    OnCommand(*app_, static_cast<int>(ControlId::kExclusions));
    EXPECT_FALSE(window_.dialogs.empty());
    return *window_.dialogs.back();
  }
  /// Types into the pattern field, which sends its command at each change.
  void Type(test::MemoryDialog& dialog, const std::string& text) {
    dialog.WithId(Id(ExclusionsDialogId::kPattern)).Type(text);
    dialog.Click(Id(ExclusionsDialogId::kPattern));
  }
  std::string Verdict() {
    return static_cast<ExclusionsDialog*>(app_->exclusionsDialog.get())->Verdict()->GetText(500);
  }
  bool VerdictInRed() {
    return static_cast<test::MemoryControl*>(
               static_cast<ExclusionsDialog*>(app_->exclusionsDialog.get())->Verdict())
        ->Alert();
  }
  Lines Listed(test::MemoryDialog& dialog) {
    return dialog.WithId(Id(ExclusionsDialogId::kList)).Items();
  }
};

TEST_F(ExclusionsDialogTest, ListsTheFileAndChecksThePatternAsItIsTyped) {
  test::WriteFile(ExcludesFile(), "# kept out\n*.tmp\n/cache/\n");
  test::MemoryDialog& dialog = Open();
  EXPECT_TRUE(dialog.shown);
  EXPECT_EQ((Lines{"*.tmp", "/cache/"}), Listed(dialog));
  test::MemoryControl& add = dialog.WithId(Id(ExclusionsDialogId::kAdd));
  EXPECT_FALSE(add.Enabled());  // nothing typed yet

  Type(dialog, "a//b");
  EXPECT_EQ("Refused: two slashes in a row leave an empty name between them.", Verdict());
  EXPECT_TRUE(VerdictInRed());
  EXPECT_FALSE(add.Enabled());
  dialog.Click(Id(ExclusionsDialogId::kAdd));  // a click that slips through adds nothing
  EXPECT_EQ(2u, Listed(dialog).size());

  Type(dialog, "**/node_modules/");
  EXPECT_EQ("Accepted.", Verdict());
  EXPECT_FALSE(VerdictInRed());
  EXPECT_TRUE(add.Enabled());
  dialog.Click(Id(ExclusionsDialogId::kAdd));
  EXPECT_EQ((Lines{"*.tmp", "/cache/", "**/node_modules/"}), Listed(dialog));
  EXPECT_EQ("", dialog.WithId(Id(ExclusionsDialogId::kPattern)).GetText(100));
  EXPECT_FALSE(add.Enabled());
}

TEST_F(ExclusionsDialogTest, RemoveSaveAndCancel) {
  test::WriteFile(ExcludesFile(), "*.tmp\n/cache/\n");
  test::MemoryDialog& dialog = Open();
  dialog.WithId(Id(ExclusionsDialogId::kList)).SelectItem(0);
  dialog.Click(Id(ExclusionsDialogId::kRemove));
  EXPECT_EQ((Lines{"/cache/"}), Listed(dialog));
  Type(dialog, "*.bak");
  dialog.Click(Id(ExclusionsDialogId::kAdd));
  EXPECT_EQ("*.tmp\n/cache/\n", test::ReadFile(ExcludesFile()));  // nothing written yet
  dialog.Click(Id(ExclusionsDialogId::kSave));
  EXPECT_EQ("/cache/\n*.bak\n", test::ReadFile(ExcludesFile()));
  EXPECT_FALSE(dialog.shown);

  test::MemoryDialog& again = Open();
  EXPECT_NE(&dialog, &again);  // the hidden one is replaced
  EXPECT_EQ((Lines{"/cache/", "*.bak"}), Listed(again));
  again.WithId(Id(ExclusionsDialogId::kList)).SelectItem(1);
  again.Click(Id(ExclusionsDialogId::kRemove));
  again.Click(Id(ExclusionsDialogId::kCancel));
  EXPECT_FALSE(again.shown);
  EXPECT_EQ("/cache/\n*.bak\n", test::ReadFile(ExcludesFile()));
  EXPECT_TRUE(BackupLogLines().empty());
}

TEST_F(ExclusionsDialogTest, OpeningItAgainWhileOpenBringsTheSameOne) {
  test::MemoryDialog& dialog = Open();
  Type(dialog, "*.tmp");
  Open();
  EXPECT_EQ(1u, window_.dialogs.size());
  EXPECT_EQ("*.tmp", dialog.WithId(Id(ExclusionsDialogId::kPattern)).GetText(100));
}

TEST_F(ExclusionsDialogTest, AFailedSaveKeepsTheDialogOpenAndSaysWhy) {
  test::WriteFile(ExcludesFile() + ".new/blocker", "");
  test::MemoryDialog& dialog = Open();
  Type(dialog, "*.tmp");
  dialog.Click(Id(ExclusionsDialogId::kAdd));
  dialog.Click(Id(ExclusionsDialogId::kSave));
  EXPECT_TRUE(dialog.shown);
  const std::string start = "The exclusions could not be saved to " + ExcludesFile() + ": ";
  EXPECT_EQ(0u, Verdict().rfind(start, 0)) << Verdict();
  EXPECT_TRUE(VerdictInRed());
  EXPECT_EQ((Lines{Verdict()}), BackupLogLines());
  EXPECT_FALSE(test::Exists(ExcludesFile()));
}

TEST_F(ExclusionsDialogTest, ARefusedLineOfTheFileIsNamedAndNotSavedAgain) {
  test::WriteFile(ExcludesFile(), "*.tmp\na//b\n");
  test::MemoryDialog& dialog = Open();
  const std::string refused =
      "\"a//b\" is refused: two slashes in a row leave an empty name between them. Remove it "
      "before saving.";
  EXPECT_EQ(refused, Verdict());
  dialog.Click(Id(ExclusionsDialogId::kSave));
  EXPECT_TRUE(dialog.shown);
  dialog.WithId(Id(ExclusionsDialogId::kList)).SelectItem(1);
  dialog.Click(Id(ExclusionsDialogId::kRemove));
  dialog.Click(Id(ExclusionsDialogId::kSave));
  EXPECT_FALSE(dialog.shown);
  EXPECT_EQ("*.tmp\n", test::ReadFile(ExcludesFile()));
}

TEST_F(ExclusionsDialogTest, AFileThatCannotBeReadOpensNoDialog) {
  test::MakeDirs(ExcludesFile());
  OnCommand(*app_, static_cast<int>(ControlId::kExclusions));
  EXPECT_TRUE(window_.dialogs.empty());
  EXPECT_EQ((Lines{"The exclusions file " + ExcludesFile() + " cannot be read: it is not a file."}),
            BackupLogLines());
}

}  // namespace
}  // namespace qs
