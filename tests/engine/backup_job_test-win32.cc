// Root normalisation and the README's line ends with the Windows separator.
#include <gtest/gtest.h>

#include <sstream>

#include "engine/backup_job.h"
#include "tests/support/backup_logs.h"
#include "tests/support/memory_log_pane.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

TEST(Win32BackupJobTest, OnlyABackslashEndsARoot) {
  test::FakeClock clock;
  std::ostringstream console;
  test::BackupLogs logs(nullptr, nullptr, clock, &console);
  BackupJob forward(test::RealFs(), clock, BackupOptions::Of("D:/backup/", "D:\\Backup\\", false),
                    logs);
  EXPECT_EQ("D:/backup/\\", forward.options.sourceRoot);  // a forward slash is part of a name
  EXPECT_EQ("D:\\Backup\\", forward.options.targetRoot);
  BackupJob bare(test::RealFs(), clock, BackupOptions::Of("d:\\test", "D:", false), logs);
  EXPECT_EQ("d:\\test\\", bare.options.sourceRoot);
  EXPECT_EQ("D:\\", bare.options.targetRoot);
}

TEST(Win32BackupJobTest, TheVersionReadmeHasCrLfLines) {
  test::ScopedTempDir dir;
  test::FakeClock clock;
  std::ostringstream console;
  MemoryLogPane pane;
  test::BackupLogs logs(&pane, nullptr, clock, &console);
  BackupJob job(test::RealFs(), clock, BackupOptions::Of(dir / "src", dir / "dst", true), logs);
  const std::string version = dir / "dst/backup_20250131_080000";
  ASSERT_TRUE(job.CreateVersionDirectory(version));
  EXPECT_EQ(
      "Time Version Backup\r\nCreated: 2025-01-31 08:00:00.000\r\nSource: " + dir / "src/" + "\r\n",
      test::ReadFile(version + "\\README.txt"));
}

}  // namespace
}  // namespace qs
