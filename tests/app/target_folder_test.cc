// "Open Target Folder": the desktop is asked on a worker, through the context's seam.
#include <gtest/gtest.h>

#include <mutex>

#include "app/app_state.h"
#include "app/operation_dialogs.h"
#include "tests/support/app_fixture.h"

namespace qs {
namespace {

class TargetFolderTest : public test::AppFixture {
 protected:
  TargetFolderTest() {
    Create();
    app_->openWithDesktop = [this](const std::string& path, std::string* why) {
      std::lock_guard<std::mutex> lock(mutex_);
      opened_.push_back(path);
      *why = answer_;
      return answer_.empty();
    };
  }
  std::string LastLine() {
    const std::vector<std::string> lines = BackupLogLines();
    return lines.empty() ? "" : lines.back();
  }
  std::vector<std::string> Opened() {
    std::lock_guard<std::mutex> lock(mutex_);
    return opened_;
  }

  std::mutex mutex_;
  std::vector<std::string> opened_;
  std::string answer_;  ///< "": the desktop opens it
};

TEST_F(TargetFolderTest, TheDesktopIsAskedToOpenTheTargetFieldsFolder) {
  test::WriteFile(dir_ / "dst/a.txt", "alpha");
  Kept(&g_hTargetEdit).Type(dir_ / "dst");
  const size_t lines_before = BackupLogLines().size();
  OpenTargetFolder(*app_);
  ASSERT_TRUE(WaitForThreadsToEnd());
  EXPECT_EQ((std::vector<std::string>{dir_ / "dst"}), Opened());
  EXPECT_EQ(lines_before, BackupLogLines().size());

  answer_ = "xdg-open ended with status 3.";
  OpenTargetFolder(*app_);
  ASSERT_TRUE(WaitForThreadsToEnd());
  EXPECT_EQ(2u, Opened().size());
  EXPECT_EQ("Cannot open the target folder " + dir_ / "dst" + ": xdg-open ended with status 3.",
            LastLine());
}

TEST_F(TargetFolderTest, AMissingFolderIsOneSentenceAndTheDesktopIsNotAsked) {
  Kept(&g_hTargetEdit).Type(dir_ / "nowhere");
  OpenTargetFolder(*app_);
  ASSERT_TRUE(WaitForThreadsToEnd());
  EXPECT_EQ("Cannot open the target folder " + dir_ / "nowhere" + ": it does not exist.",
            LastLine());
  Kept(&g_hTargetEdit).Type("");
  OpenTargetFolder(*app_);
  EXPECT_EQ("No target folder to open: type or choose one first.", LastLine());
  EXPECT_TRUE(Opened().empty());
}

}  // namespace
}  // namespace qs
