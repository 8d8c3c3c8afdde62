// --dry-run of a backup and the progress line: a dry run decides and reports as the real run
// does and leaves the disk exactly as it was; the progress line lives on standard error only.
#include "engine/backup_run.h"
#include "engine/dry_run_file_system.h"
#include "tests/cli/runner_fixture.h"

namespace qs {
namespace {

using test::Seconds;

/// The lines that say what happened to each file, and the summary.
std::vector<std::string> Decisions(const std::vector<std::string>& lines) {
  std::vector<std::string> decisions;
  for (const std::string& line : lines)
    if (line.rfind("[", 0) == 0 || line.find("completed:") != std::string::npos ||
        line.rfind("Found ", 0) == 0)
      decisions.push_back(line);
  return decisions;
}

class RunnerDryRunTest : public test::RunnerFixture {
 protected:
  /// A source with a new file, a newer one, an unchanged one, and a new folder; a target
  /// holding the older and the unchanged copies.
  void MakeTrees() {
    test::WriteFile(dir_ / "t/src/new.txt", "new", Seconds(5000));
    test::WriteFile(dir_ / "t/src/newer.txt", "newer", Seconds(5000));
    test::WriteFile(dir_ / "t/src/same.txt", "same", Seconds(3000));
    test::WriteFile(dir_ / "t/src/fresh/deep/f.txt", "f", Seconds(3000));
    test::WriteFile(dir_ / "t/dst/newer.txt", "old", Seconds(1000));
    test::WriteFile(dir_ / "t/dst/same.txt", "same", Seconds(3000));
  }
};

TEST_F(RunnerDryRunTest, WritesNothingAndReportsWhatTheRealRunThenDoes) {
  MakeTrees();
  for (const bool versioned : {false, true}) {
    SCOPED_TRACE(versioned ? "with time versioning" : "plain");
    const std::string options = versioned ? "--time-versioning " : "";
    const auto before = Snapshot(dir_ / "t");
    ASSERT_EQ(0, Run("--dry-run " + options + Quoted("t/src") + " " + Quoted("t/dst"))) << Err();
    EXPECT_EQ("", Err());
    const std::vector<std::string> dry = OutLines();
    ASSERT_GE(dry.size(), 2u);
    // Said first, so that "Time version directory created" below is read as what would be.
    EXPECT_EQ("Dry run: nothing will be written.", dry.front());
    EXPECT_EQ("Starting backup...", dry[1]);
    EXPECT_EQ("Dry run: nothing was written.", dry.back());
    // Not a file, a folder, a time, or a probe that came and went (it would move the
    // folder's own time).
    EXPECT_EQ(before, Snapshot(dir_ / "t"));

    ASSERT_EQ(0, Run(options + Quoted("t/src") + " " + Quoted("t/dst"))) << Err();
    const std::vector<std::string> real = OutLines();
    EXPECT_EQ(Decisions(real), Decisions(dry));
    EXPECT_FALSE(OutHas("Dry run"));
    EXPECT_NE(before, Snapshot(dir_ / "t"));  // the real run did write
    const std::vector<std::string> expected = {
        "Found 4 files.",
        "[COPIED] " + test::Native("fresh/deep/f.txt"),
        "[COPIED] new.txt",
        "[UPDATED] newer.txt",
    };
    if (!versioned) {
      for (const std::string& line : expected)
        EXPECT_NE(dry.end(), std::find(dry.begin(), dry.end(), line)) << line;
      EXPECT_EQ("new", test::ReadFile(dir_ / "t/dst/new.txt"));
      // Back to the target as it was, for the versioned round.
      test::WriteFile(dir_ / "t/dst/newer.txt", "old", Seconds(1000));
      ASSERT_TRUE(test::RealFs().RemoveFile(dir_ / "t/dst/new.txt"));
      ASSERT_TRUE(test::RealFs().RemoveFile(dir_ / "t/dst/fresh/deep/f.txt"));
      ASSERT_TRUE(test::RealFs().RemoveDirectory(dir_ / "t/dst/fresh/deep"));
      ASSERT_TRUE(test::RealFs().RemoveDirectory(dir_ / "t/dst/fresh"));
    } else {
      EXPECT_NE(std::string::npos,
                Decisions(dry).back().find("1 updated, 1 skipped, 0 failed, 1 time-versioned"))
          << Decisions(dry).back();
    }
  }
}

TEST_F(RunnerDryRunTest, AMissingTargetIsNotMade) {
  MakeTrees();
  const auto before = Snapshot(dir_ / "t");
  ASSERT_EQ(0, Run("--dry-run --time-versioning " + Quoted("t/src") + " " + Quoted("t/new")))
      << Out();
  EXPECT_EQ(before, Snapshot(dir_ / "t"));
  EXPECT_FALSE(test::Exists(dir_ / "t/new"));
  const std::vector<std::string> dry = OutLines();
  ASSERT_EQ(0, Run("--time-versioning " + Quoted("t/src") + " " + Quoted("t/new")));
  EXPECT_EQ(Decisions(OutLines()), Decisions(dry));
  EXPECT_EQ(5u, test::ListTree(dir_ / "t/new").size());  // and the version folder's README.txt
}

class RunnerProgressTest : public test::RunnerFixture {
 protected:
  void SetUp() override {
    for (int i = 0; i < 20; ++i)
      test::WriteFile(dir_ / ("src/f" + std::to_string(i)), std::string(1000, 'x'), Seconds(2000));
  }
};

TEST_F(RunnerProgressTest, TheLineGoesToStandardErrorAndTheLogStaysAsItIs) {
  // Dry runs, so that every run decides the same and the logs can be compared.
  ASSERT_EQ(0, Run("--dry-run --no-progress " + Quoted("src") + " " + Quoted("dst")));
  EXPECT_EQ("", Err());
  const std::vector<std::string> quiet = OutLines();
  ASSERT_EQ(0, Run("--dry-run " + Quoted("src") + " " + Quoted("dst")));
  EXPECT_EQ("", Err()) << "standard error is no terminal here: no line by default";
  EXPECT_EQ(quiet, OutLines());

  ASSERT_EQ(0, Run("--progress --dry-run " + Quoted("src") + " " + Quoted("dst")));
  EXPECT_EQ(quiet, OutLines());
  EXPECT_FALSE(OutHas("time left")) << Out();
  EXPECT_FALSE(OutHas("\r"));
  const std::string err = Err();
  // The last state, left on a line of its own: every file done.
  EXPECT_NE(std::string::npos, err.find("20/20 files  0.0 MiB of 0.0 MiB")) << err;
  EXPECT_NE(std::string::npos, err.find("time left: "));
  ASSERT_FALSE(err.empty());
  EXPECT_EQ('\n', err.back());

  // A real run shows the same.
  ASSERT_EQ(0, Run("--progress " + Quoted("src") + " " + Quoted("dst")));
  EXPECT_NE(std::string::npos, Err().find("20/20 files")) << Err();
  EXPECT_FALSE(OutHas("files  "));
  EXPECT_EQ(20u, test::ListTree(dir_ / "dst").size());
  ASSERT_EQ(0, Run("--no-progress " + Quoted("src") + " " + Quoted("dst")));
  EXPECT_EQ("", Err());
}

TEST_F(RunnerProgressTest, TheLineCountsTheBytesTheScanMeasured) {
  test::WriteFile(dir_ / "src/big", std::string(3 * 1024 * 1024, 'x'), Seconds(2000));
  ASSERT_EQ(0, Run("--progress --dry-run " + Quoted("src") + " " + Quoted("dst")));
  EXPECT_NE(std::string::npos, Err().find("21/21 files  3.0 MiB of 3.0 MiB")) << Err();
}

}  // namespace
}  // namespace qs

namespace qs {
namespace {

/// A volume that says nothing of its times or of case: a real run would probe it by writing.
class SilentVolume : public test::FaultyFileSystem {
 public:
  VolumeHint DescribeVolume(const std::string&) override { return {}; }
};

/// The files made empty (a probe's first step), from the double's record.
std::vector<std::string> Creations(const std::vector<std::string>& events) {
  std::vector<std::string> made;
  for (const std::string& event : events)
    if (event.rfind("create ", 0) == 0) made.push_back(event);
  return made;
}

TEST(DryRunCompositionTest, AVolumeThatSaysNothingIsNotProbedByWriting) {
  // The runner's dry run: the backup over a DryRunFileSystem over the real one.
  test::ScopedTempDir dir;
  // No letter in the target's names, so that case cannot be told from its listing; and a copy
  // whose time could be the source's cut down to whole seconds, so that the step matters.
  test::WriteFile(dir / "src/123", "new", test::At(5000, 500000000));
  test::WriteFile(dir / "dst/123", "old", test::Seconds(5000));
  const auto before = test::RunnerFixture::Snapshot(dir.path());
  SilentVolume silent;
  DryRunFileSystem dry_run(silent);
  test::FakeClock clock;
  std::ostringstream console;
  BackupOptions request = BackupOptions::Of(dir / "src", dir / "dst", true);
  request.dryRun = true;
  test::BackupLogs logs(nullptr, nullptr, clock, &console);
  EXPECT_FALSE(RunBackup(dry_run, clock, request, logs).AnyFailed()) << console.str();
  EXPECT_EQ(std::vector<std::string>{}, Creations(silent.events));
  EXPECT_EQ(before, test::RunnerFixture::Snapshot(dir.path()));
  EXPECT_NE(std::string::npos, console.str().find("Dry run: nothing was written."))
      << console.str();
  // The same backup for real does probe that volume: the check above can fail.
  request.dryRun = false;
  test::BackupLogs real_logs(nullptr, nullptr, clock, &console);
  RunBackup(silent, clock, request, real_logs);
  EXPECT_FALSE(Creations(silent.events).empty());
}

}  // namespace
}  // namespace qs
