// The menu's six dialogs as they are opened again and again: one dialog for each while it is
// up, and a window that cannot make one says so in the backup log, the program going on.
#include "app/kept_dialog.h"

#include <gtest/gtest.h>

#include "app/commands.h"
#include "tests/support/app_fixture.h"

namespace qs {
namespace {

struct MenuDialog {
  ControlId command;
  const char* caption;
  /// Closed and opened again: the same dialog shown again, or a new one that reads afresh.
  bool keptOnceClosed;
};

const MenuDialog kDialogs[] = {
    {ControlId::kExclusions, "Exclusions", false},
    {ControlId::kCheckCopies, "Check Copies", true},
    {ControlId::kPruneVersions, "Prune Versions", true},
    {ControlId::kRestoreFiles, "Restore Files", true},
    {ControlId::kVersionsOfAFile, "Versions of a File", true},
    {ControlId::kAbout, "About Quillstone", false},
};

class KeptDialogTest : public test::AppFixture {
 protected:
  KeptDialogTest() { Create(); }
  void Open(const MenuDialog& entry) { OnCommand(*app_, static_cast<int>(entry.command)); }
};

TEST_F(KeptDialogTest, OneDialogWhileItIsUpAndAfterwardsKeptOrMadeAfresh) {
  for (const MenuDialog& entry : kDialogs) {
    SCOPED_TRACE(entry.caption);
    const size_t before = window_.dialogs.size();
    Open(entry);
    ASSERT_EQ(before + 1, window_.dialogs.size());
    test::MemoryDialog& dialog = *window_.dialogs.back();
    EXPECT_EQ(entry.caption, dialog.caption);
    EXPECT_TRUE(dialog.shown);
    Open(entry);
    ASSERT_EQ(before + 1, window_.dialogs.size()) << "a second dialog while the first is up";
    dialog.events.OnClose();  // the close button
    EXPECT_FALSE(dialog.shown);
    Open(entry);
    EXPECT_EQ(before + (entry.keptOnceClosed ? 1 : 2), window_.dialogs.size());
    EXPECT_TRUE(window_.dialogs.back()->shown);
  }
}

TEST_F(KeptDialogTest, ADialogTheWindowCannotMakeIsNamedInTheBackupLog) {
  window_.refuseDialogs = true;
  for (const MenuDialog& entry : kDialogs) {
    SCOPED_TRACE(entry.caption);
    Open(entry);
    const std::string caption =
        entry.command == ControlId::kExclusions ? "exclusions" : entry.caption;
    EXPECT_EQ(1, test::CountOf(BackupLogLines(), "The " + caption + " dialog could not be made."));
  }
  // Once the window can make them again, each opens as if nothing had happened.
  window_.refuseDialogs = false;
  for (const MenuDialog& entry : kDialogs) {
    Open(entry);
    EXPECT_EQ(entry.caption, window_.dialogs.back()->caption);
    EXPECT_TRUE(window_.dialogs.back()->shown);
  }
  EXPECT_EQ(6u, window_.dialogs.size());
}

}  // namespace
}  // namespace qs
