// Root normalisation and the README's line ends with the Windows separator.
#include <gtest/gtest.h>

#include <sstream>

#include "engine/backup_job.h"
#include "tests/support/memory_log_pane.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

TEST(Win32BackupJobTest, OnlyABackslashEndsARoot) {
  test::FakeClock clock;
  std::ostringstream console;
  const JobServices services = test::TestServices(&test::RealFs(), &clock, &console);
  BackupJob forward("D:/backup/", "D:\\Backup\\", nullptr, nullptr, false, services);
  EXPECT_EQ("D:/backup/\\", forward.options.sourceRoot);  // a forward slash is part of a name
  EXPECT_EQ("D:\\Backup\\", forward.options.targetRoot);
  BackupJob bare("d:\\test", "D:", nullptr, nullptr, false, services);
  EXPECT_EQ("d:\\test\\", bare.options.sourceRoot);
  EXPECT_EQ("D:\\", bare.options.targetRoot);
}

TEST(Win32BackupJobTest, TheVersionReadmeHasCrLfLines) {
  test::ScopedTempDir dir;
  test::FakeClock clock;
  std::ostringstream console;
  MemoryLogPane pane;
  BackupJob job(dir / "src", dir / "dst", &pane, nullptr, true,
                test::TestServices(&test::RealFs(), &clock, &console));
  const std::string version = dir / "dst/backup_20250131_080000";
  ASSERT_TRUE(job.CreateVersionDirectory(version));
  EXPECT_EQ(
      "Time Version Backup\r\nCreated: 2025-01-31 08:00:00.000\r\nSource: " + dir / "src/" + "\r\n",
      test::ReadFile(version + "\\README.txt"));
}

}  // namespace
}  // namespace qs
