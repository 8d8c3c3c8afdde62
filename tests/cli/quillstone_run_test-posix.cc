// The real quillstone-run under POSIX shells: what its output is piped into must not cut the
// backup short.
#include <gtest/gtest.h>

#include "tests/support/command_runner.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

TEST(RunnerPosixTest, AReaderThatStopsEarlyDoesNotEndTheBackup) {
  test::ScopedTempDir dir;
  constexpr int kFiles = 3000;  // far more log than a pipe holds
  for (int i = 0; i < kFiles; ++i) test::WriteFile(dir / ("src/f" + std::to_string(i)), "x");
  // head reads one line and leaves; the runner then writes into a pipe nobody reads.
  const std::string command = "( \"" + std::string(QS_RUNNER_PATH) + "\" \"" + dir / "src" +
                              "\" \"" + dir / "dst" + "\"; echo $? >\"" + dir / "status" +
                              "\" ) | head -n 1 >\"" + dir / "first" + "\"";
  ASSERT_EQ(0, RunCommandLine(command));
  EXPECT_NE(std::string::npos, test::ReadFile(dir / "first").find("] Starting backup..."));
  EXPECT_EQ("0\n", test::ReadFile(dir / "status"));
  EXPECT_EQ(static_cast<size_t>(kFiles), test::ListTree(dir / "dst").size());
}

}  // namespace
}  // namespace qs
