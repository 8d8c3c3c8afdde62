// "About Quillstone": the name, this build's version, and the full paths of the settings and
// of the exclusions.
#include "app/about_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "app/commands.h"
#include "tests/support/app_fixture.h"

namespace qs {
namespace {

class AboutDialogTest : public test::AppFixture {
 protected:
  AboutDialogTest() { Create(); }
  test::MemoryDialog& Open() {
    OnCommand(*app_, static_cast<int>(ControlId::kAbout));
    EXPECT_FALSE(window_.dialogs.empty());
    return *window_.dialogs.back();
  }
};

TEST_F(AboutDialogTest, ShowsTheVersionAndWhereTheSettingsAreKept) {
  test::MemoryDialog& dialog = Open();
  EXPECT_TRUE(dialog.shown);
  dialog.WithText("Quillstone");
  EXPECT_TRUE(std::regex_match(VersionLine(), std::regex("Version [0-9]+\\.[0-9]+\\.[0-9]+")))
      << VersionLine();
  dialog.WithText(VersionLine());
  dialog.WithText("Settings: " + SettingsFile());
  dialog.WithText("Exclusions: " + dir_ / "backup_excludes.txt");
  Open();  // while open: the same one
  EXPECT_EQ(1u, window_.dialogs.size());
  dialog.Click(static_cast<int>(AboutDialogId::kOk));
  EXPECT_FALSE(dialog.shown);
  Open();
  EXPECT_EQ(2u, window_.dialogs.size());
}

TEST_F(AboutDialogTest, ARelativeSettingsPathIsShownInFull) {
  app_->settingsPath = "backup_config.dat";
  Open().WithText("Settings: " + (std::filesystem::current_path() / "backup_config.dat").string());
}

}  // namespace
}  // namespace qs
