// The menu bar: set before any control, its entries and ids, and what the entries of the File
// menu do (the choosers, Exit); drops onto the fields.
#include "app/menu_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/field_drop.h"
#include "settings/settings_file.h"
#include "tests/support/app_fixture.h"

namespace qs {
namespace {

using test::WriteFile;

const char kSaved[] = "/saved/src\r\n/saved/dst\r\n15\r\n0\r\n0\r\n";

int Id(ControlId id) { return static_cast<int>(id); }

class MenuTest : public test::AppFixture {
 protected:
  MenuTest() {
    WriteFile(SettingsFile(), kSaved);
    Create();
  }
};

TEST_F(MenuTest, TheMenuComesBeforeTheControlsWithItsEntriesInOrder) {
  EXPECT_TRUE(window_.menuBeforeControls);
  struct Entry {
    std::string menu, label;
    int id;
    char ctrlKey;
  };
  std::vector<Entry> shown;
  for (const MenuItem& item : window_.menu)
    shown.push_back({item.menu, item.label ? item.label : "", item.id, item.ctrlKey});
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"File", "Choose Source Folder\u2026"},
      {"File", "Choose Target Folder\u2026"},
      {"File", "Open Target Folder"},
      {"File", ""},
      {"File", "Exit"},
      {"Backup", "Start Backup Now"},
      {"Backup", "Dry Run"},
      {"Backup", "Exclusions\u2026"},
      {"Backup", "Check Copies\u2026"},
      {"Backup", "Prune Versions\u2026"},
      {"Restore", "Restore Files\u2026"},
      {"Restore", "Versions of a File\u2026"},
      {"Help", "About Quillstone"}};
  ASSERT_EQ(expected.size(), shown.size());
  const auto without_mark = [](std::string text) {
    if (const size_t at = text.find('&'); at != std::string::npos) text.erase(at, 1);
    return text;
  };
  std::set<int> ids;
  std::map<std::string, std::set<char>> mnemonics;
  for (size_t i = 0; i < shown.size(); ++i) {
    SCOPED_TRACE(expected[i].second);
    EXPECT_EQ(expected[i].first, without_mark(shown[i].menu));
    EXPECT_EQ(expected[i].second, without_mark(shown[i].label));
    EXPECT_EQ(expected[i].second == "Start Backup Now" ? 'B' : 0, shown[i].ctrlKey);
    if (shown[i].label.empty()) {
      EXPECT_EQ(0, shown[i].id);
      continue;
    }
    EXPECT_GE(shown[i].id, 101);
    EXPECT_LE(shown[i].id, 199);
    EXPECT_TRUE(ids.insert(shown[i].id).second) << "id given twice: " << shown[i].id;
    const size_t mark = shown[i].label.find('&');
    ASSERT_NE(std::string::npos, mark) << "no mnemonic";
    const char key = static_cast<char>(std::tolower(shown[i].label[mark + 1]));
    EXPECT_TRUE(mnemonics[shown[i].menu].insert(key).second) << "mnemonic used twice: " << key;
  }
  std::set<char> menu_keys;
  for (const auto& [menu, keys] : mnemonics) {
    ASSERT_NE(std::string::npos, menu.find('&'));
    EXPECT_TRUE(menu_keys.insert(menu[menu.find('&') + 1]).second) << menu;
  }
}

TEST_F(MenuTest, EachOperationEntryOpensItsOwnDialogAndOpenTargetAsksTheDesktop) {
  std::vector<std::string> opened;
  app_->openWithDesktop = [&](const std::string& path, std::string*) {
    opened.push_back(path);
    return true;
  };
  for (ControlId id : {ControlId::kCheckCopies, ControlId::kPruneVersions, ControlId::kRestoreFiles,
                       ControlId::kVersionsOfAFile})
    OnCommand(*app_, Id(id));
  ASSERT_TRUE(WaitForThreadsToEnd());
  ASSERT_EQ(4u, window_.dialogs.size());
  std::vector<std::string> captions;
  for (test::MemoryDialog* dialog : window_.dialogs) {
    EXPECT_TRUE(dialog->shown);
    captions.push_back(dialog->caption);
  }
  std::sort(captions.begin(), captions.end());
  EXPECT_EQ(captions.end(), std::adjacent_find(captions.begin(), captions.end()));

  test::MakeDirs(dir_ / "target");
  Kept(&g_hTargetEdit).Type(dir_ / "target");
  OnCommand(*app_, Id(ControlId::kOpenTargetFolder));
  ASSERT_TRUE(WaitForThreadsToEnd());
  EXPECT_EQ(std::vector<std::string>{dir_ / "target"}, opened);
  EXPECT_FALSE(window_.destroyed);
  EXPECT_EQ(kSaved, test::ReadFile(SettingsFile()));
}

TEST_F(MenuTest, AChosenFolderIsPutInTheFieldWithoutTheChoosersTrailingSeparator) {
  const std::string sep(1, kPathSeparator);
  window_.chooserAnswers = {sep + "chosen" + sep + "src" + sep, sep};
  OnCommand(*app_, Id(ControlId::kChooseSourceFolder));
  EXPECT_EQ(sep + "chosen" + sep + "src", Kept(&g_hSourceEdit).GetText(kPathFieldMaxCount));
  OnCommand(*app_, Id(ControlId::kChooseTargetFolder));
  EXPECT_EQ(sep, Kept(&g_hTargetEdit).GetText(kPathFieldMaxCount));
}

TEST_F(MenuTest, TheChoosersStartAtTheFieldAndFillItUnlessCancelled) {
  Kept(&g_hSourceEdit).Type("/typed/src");
  window_.chooserAnswers = {std::string("/chosen/src"), std::nullopt, std::string("/chosen/dst")};
  OnCommand(*app_, Id(ControlId::kChooseSourceFolder));
  EXPECT_EQ("/chosen/src", Kept(&g_hSourceEdit).GetText(kPathFieldMaxCount));
  OnCommand(*app_, Id(ControlId::kChooseTargetFolder));  // cancelled
  EXPECT_EQ("/saved/dst", Kept(&g_hTargetEdit).GetText(kPathFieldMaxCount));
  OnCommand(*app_, Id(ControlId::kChooseTargetFolder));
  EXPECT_EQ("/chosen/dst", Kept(&g_hTargetEdit).GetText(kPathFieldMaxCount));
  EXPECT_EQ((std::vector<std::string>{"/typed/src", "/saved/dst", "/saved/dst"}),
            window_.chooserStarts);
  EXPECT_EQ(3u, window_.chooserTitles.size());
  EXPECT_NE(window_.chooserTitles[0], window_.chooserTitles[1]);
  // As with typing, nothing is stored or saved.
  EXPECT_EQ("/saved/src", g_settings.sourceDir);
  EXPECT_EQ(kSaved, test::ReadFile(SettingsFile()));
}

TEST_F(MenuTest, ExitDoesWhatTheCloseDoes) {
  Kept(&g_hSourceEdit).Type("/typed/src");
  OnCommand(*app_, Id(ControlId::kExit));
  EXPECT_TRUE(window_.destroyed);
  EXPECT_EQ(FormatSettings({"/typed/src", "/saved/dst", 15, false, false}),
            test::ReadFile(SettingsFile()));
}

TEST_F(MenuTest, OneDroppedFolderFillsAFieldAndAnythingElseIsRefused) {
  test::MakeDirs(dir_ / "folder");
  test::WriteFile(dir_ / "file.txt", "x");
  OnFieldDrop(*app_, *g_hSourceEdit, {dir_ / "folder"});
  EXPECT_EQ(dir_ / "folder", Kept(&g_hSourceEdit).GetText(kPathFieldMaxCount));
  EXPECT_TRUE(BackupLogLines().empty());

  OnFieldDrop(*app_, *g_hTargetEdit, {dir_ / "file.txt"});
  OnFieldDrop(*app_, *g_hTargetEdit, {dir_ / "folder", dir_ / "file.txt"});
  EXPECT_EQ("/saved/dst", Kept(&g_hTargetEdit).GetText(kPathFieldMaxCount));
  EXPECT_EQ((std::vector<std::string>{
                "The dropped item is a file, not a folder: " + dir_ / "file.txt" +
                    "; the field is left as it was.",
                "2 items were dropped onto the field, which takes one folder; it is left as it "
                "was."}),
            BackupLogLines());

  OnFieldDrop(*app_, *g_hIntervalEdit, {dir_ / "folder"});  // not a folder field
  EXPECT_EQ("15", Kept(&g_hIntervalEdit).GetText(kIntervalFieldMaxCount));
  EXPECT_EQ(2u, BackupLogLines().size());
  EXPECT_EQ("/saved/src", g_settings.sourceDir);
  EXPECT_EQ(kSaved, test::ReadFile(SettingsFile()));
}

}  // namespace
}  // namespace qs
