// Whole backups over read-only, hidden and system target copies, through the real Win32 layer.
// Each case runs twice: over the WindowsRules double, which refuses to move onto or delete a
// read-only file as Windows does (Wine allows the move), and over the real calls under Wine.
#include <gtest/gtest.h>

#include <memory>

#include "engine/backup_job.h"
#include "platform/file_hold.h"
#include "platform/win32_entry_kind.h"
#include "platform/win32_file_system.h"
#include "tests/support/memory_log_pane.h"
#include "tests/support/test_support.h"
#include "tests/support/windows_rules.h"

namespace qs {
namespace {

using test::AttributesOf;
using test::Seconds;
using win32::kAttributeHidden;
using win32::kAttributeReadOnly;
using win32::kAttributeSystem;

constexpr uint32_t kKept = kAttributeReadOnly | kAttributeHidden | kAttributeSystem;

class Win32ReadOnlyTargetTest : public ::testing::TestWithParam<bool> {
 protected:
  Win32ReadOnlyTargetTest()
      : fs_(win32::MakeWin32FileSystem(GetParam() ? static_cast<win32::ReplaceCalls&>(rules_)
                                                  : win32::RealReplaceCalls())) {}

  /// Writes the source file with its time and attributes (lifting its own read-only mark).
  void WriteSource(const std::string& content, FileTime time, uint32_t attributes) {
    if (test::Exists(source_)) test::SetAttributes(source_, 0x80);
    test::WriteFile(source_, content, time);
    ASSERT_TRUE(test::SetAttributes(source_, attributes));
  }

  /// One run with time versioning, a minute after the last, so that each has its own folder.
  BackupCounters Run() {
    clock_.Advance(60 * test::kSecondNanos);
    pane_.SetText("");
    BackupJob job(dir_ / "src", dir_ / "dst", &pane_, nullptr, true,
                  test::TestServices(fs_.get(), &clock_, &console_));
    job.RunBackup();
    return job.results.counters;
  }
  std::vector<std::string> Log() { return test::WithoutStamps(test::PaneLines(pane_.Text())); }
  bool Logged(const std::string& line) {
    const std::vector<std::string> log = Log();
    return std::find(log.begin(), log.end(), line) != log.end();
  }

  test::ScopedTempDir dir_;
  test::WindowsRules rules_;
  std::unique_ptr<FileSystem> fs_;
  test::FakeClock clock_;
  std::ostringstream console_;
  MemoryLogPane pane_;
  const std::string source_ = dir_ / "src/Документы/отчёт.txt";
  const std::string copy_ = dir_ / "dst/Документы/отчёт.txt";
};

TEST_P(Win32ReadOnlyTargetTest, AnUpdateReplacesAReadOnlyCopyAndKeepsTheOldOneAsAVersion) {
  WriteSource("first", Seconds(1000), kKept);
  ASSERT_EQ(1, Run().copied) << ::testing::PrintToString(Log());
  EXPECT_EQ(kKept, AttributesOf(copy_) & kKept);

  WriteSource("second", Seconds(2000), kAttributeReadOnly);
  const BackupCounters counters = Run();
  EXPECT_EQ(1, counters.updated) << ::testing::PrintToString(Log());
  EXPECT_EQ(1, counters.timeVersioned);
  EXPECT_EQ(0, counters.failed);
  EXPECT_EQ("second", test::ReadFile(copy_));
  EXPECT_EQ(kAttributeReadOnly, AttributesOf(copy_) & kKept);
  EXPECT_EQ(Seconds(2000), fs_->LastWriteTime(copy_));
  // The version copy is the old copy with its attributes and time.
  const std::string version = dir_ / "dst/backup_20250131_080200/Документы/отчёт.txt";
  EXPECT_EQ("first", test::ReadFile(version));
  EXPECT_EQ(kKept, AttributesOf(version) & kKept);
  EXPECT_EQ(Seconds(1000), fs_->LastWriteTime(version));
  EXPECT_TRUE(Logged("[UPDATED] " + test::Native("Документы/отчёт.txt")));
}

TEST_P(Win32ReadOnlyTargetTest, AFailedUpdateLeavesTheReadOnlyCopyExactlyAsItWas) {
  WriteSource("first", Seconds(1000), kKept);
  ASSERT_EQ(1, Run().copied);
  const uint32_t before = AttributesOf(copy_);
  WriteSource("second", Seconds(2000), 0x80);
  BackupCounters counters;
  {
    FileHold held(copy_);  // another program has the old copy open
    ASSERT_TRUE(held.ok());
    counters = Run();
  }
  EXPECT_EQ(1, counters.failed);
  EXPECT_EQ(0, counters.updated);
  EXPECT_EQ("first", test::ReadFile(copy_));
  EXPECT_EQ(before, AttributesOf(copy_));
  EXPECT_EQ(Seconds(1000), fs_->LastWriteTime(copy_));
  const std::vector<std::string> log = Log();
  const std::string failure = "CopyFile failed: " + source_ + " -> " + copy_ + " Error: ";
  EXPECT_TRUE(std::any_of(log.begin(), log.end(), [&](const std::string& line) {
    return line.rfind(failure, 0) == 0;
  })) << ::testing::PrintToString(log);
  // No temporary file is left beside the copy.
  EXPECT_EQ(std::vector<std::string>{"отчёт.txt"}, test::ListTree(dir_ / "dst/Документы"));
  // The next run, with nothing holding the copy, updates it.
  EXPECT_EQ(1, Run().updated);
  EXPECT_EQ("second", test::ReadFile(copy_));
}

TEST_P(Win32ReadOnlyTargetTest, HiddenAndSystemCopiesAreUpdatedLikeAnyOther) {
  WriteSource("first", Seconds(1000), kAttributeHidden | kAttributeSystem);
  ASSERT_EQ(1, Run().copied);
  WriteSource("second", Seconds(2000), kAttributeHidden);
  EXPECT_EQ(1, Run().updated) << ::testing::PrintToString(Log());
  EXPECT_EQ("second", test::ReadFile(copy_));
  EXPECT_EQ(kAttributeHidden, AttributesOf(copy_) & kKept);
}

INSTANTIATE_TEST_SUITE_P(Calls, Win32ReadOnlyTargetTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "WindowsRules" : "WineCalls";
                         });

}  // namespace
}  // namespace qs
