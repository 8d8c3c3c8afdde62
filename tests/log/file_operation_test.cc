// Where each category of file operation is shown, and how.
#include "log/file_operation.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace qs {
namespace {

constexpr FileOperation kAll[] = {
    FileOperation::kBackupStarted,     FileOperation::kFileScan,       FileOperation::kCopied,
    FileOperation::kUpdated,           FileOperation::kSkipped,        FileOperation::kFailed,
    FileOperation::kCopyError,         FileOperation::kDirectoryError, FileOperation::kTimeVersion,
    FileOperation::kTimeVersionFailed, FileOperation::kBackupCompleted};

TEST(FileOperationTest, EachCategoryHasItsOwnText) {
  const char* expected[] = {
      "BACKUP STARTED",  "FILE SCAN",  "COPIED",          "UPDATED",      "SKIPPED",
      "FAILED",          "COPY ERROR", "DIRECTORY ERROR", "TIME VERSION", "TIME VERSION FAILED",
      "BACKUP COMPLETED"};
  for (size_t i = 0; i < std::size(kAll); ++i) EXPECT_STREQ(expected[i], CategoryText(kAll[i]));
}

TEST(FileOperationTest, FailuresGoToTheBackupLogOnlyWithTheirFullPath) {
  for (FileOperation failure :
       {FileOperation::kFailed, FileOperation::kCopyError, FileOperation::kDirectoryError,
        FileOperation::kTimeVersionFailed}) {
    EXPECT_FALSE(FileLogLine(failure, "/s/a", "/s/").has_value());
    EXPECT_EQ("[" + std::string(CategoryText(failure)) + "] /s/a (why)",
              BackupLogMessage(failure, "/s/a", "why", "/s/"));
  }
}

TEST(FileOperationTest, CopiesAndVersionsGoToBothLogsBelowTheRoot) {
  const std::string root = test::Native("/s/");
  for (FileOperation shown :
       {FileOperation::kCopied, FileOperation::kUpdated, FileOperation::kTimeVersion}) {
    const std::string line = "[" + std::string(CategoryText(shown)) + "] a";
    EXPECT_EQ(line, FileLogLine(shown, root + "a", root));
    EXPECT_EQ(line, BackupLogMessage(shown, root + "a", "ignored", root));
  }
}

TEST(FileOperationTest, RunLinesGoToTheFileLogAndSkipsNowhere) {
  for (FileOperation run :
       {FileOperation::kBackupStarted, FileOperation::kFileScan, FileOperation::kBackupCompleted}) {
    EXPECT_TRUE(FileLogLine(run, "text", "/s/").has_value());
    EXPECT_FALSE(BackupLogMessage(run, "text", "", "/s/").has_value());
  }
  EXPECT_FALSE(FileLogLine(FileOperation::kSkipped, "/s/a", "/s/").has_value());
  EXPECT_FALSE(BackupLogMessage(FileOperation::kSkipped, "/s/a", "", "/s/").has_value());
}

}  // namespace
}  // namespace qs
