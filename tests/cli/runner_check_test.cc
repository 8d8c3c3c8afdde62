// --verify and --status on the real runner, over copies a real backup made (their record
// written here, as the backup's own record would hold them): exit statuses, the lines a
// person reads, and a repair that brings the source's bytes back.
#include "engine/check_lines.h"
#include "engine/record_store.h"
#include "engine/target_status.h"
#include "tests/cli/runner_fixture.h"

namespace qs {
namespace {

using test::Seconds;

class RunnerCheckTest : public test::RunnerFixture {
 protected:
  void SetUp() override {
    test::WriteFile(dir_ / "src/a.txt", "the first file", Seconds(1700000000));
    test::WriteFile(dir_ / "src/sub/b.txt", "the second file", Seconds(1700000000));
    ASSERT_EQ(Run(Quoted("src") + " " + Quoted("dst")), 0) << Out();
    Listing listing;
    for (const std::string& path : test::ListTree(dir_ / "dst")) {
      const std::string native = dir_ / ("dst/" + path);
      const PathInfo info = test::RealFs().Stat(native);
      listing.push_back({path, info.size, info.lastWrite, true, HashOf(test::ReadFile(native))});
    }
    RunFact run;
    run.number = 1;
    run.sourceRoot = dir_ / "src" + kPathSeparator;
    run.fullListing = true;
    run.changes = AsChanges(listing);
    RecordStore store = RecordStore::Open(test::RealFs(), dir_ / "dst" + kPathSeparator);
    uint32_t code = 0;
    ASSERT_TRUE(store.Append(test::RealFs(), FrameKind::kRun, EncodeRun(run), &code));
  }
};

TEST_F(RunnerCheckTest, DamageIsFoundReportedInTheStatusAndRepaired) {
  EXPECT_EQ(Run("--verify " + Quoted("dst")), 0) << Out();
  EXPECT_EQ(OutLinesStarting("Check completed: "),
            std::vector<std::string>{"Check completed: 2 of 2 copies read, 29 of 29 bytes; 0 "
                                     "damaged, 0 changed outside the backup, 0 unreadable."});
  const std::string copy = dir_ / "dst/sub/b.txt";
  const FileTime time = test::RealFs().LastWriteTime(copy);
  test::WriteFile(copy, "the sEcond file", time);

  EXPECT_EQ(Run("--verify " + Quoted("dst")), 1);
  EXPECT_EQ(OutLinesStarting("Damaged copy: "),
            std::vector<std::string>{"Damaged copy: " + dir_ / "dst" + kPathSeparator +
                                     test::Native("sub/b.txt") + " (recorded hash " +
                                     HashOf("the second file").Hex() + ", found " +
                                     HashOf("the sEcond file").Hex() + ")"});
  EXPECT_EQ(Run("--status " + Quoted("dst")), 1);
  EXPECT_TRUE(OutHas(", 29 bytes read; 1 damaged, 0 changed outside the backup")) << Out();

  EXPECT_EQ(Run("--verify --repair " + Quoted("dst")), 0) << Out();
  EXPECT_EQ(test::ReadFile(copy), "the second file");
  EXPECT_EQ(Run("--status " + Quoted("dst")), 0) << Out();
  EXPECT_TRUE(OutHas("Last full rotation ended: ")) << Out();
}

TEST_F(RunnerCheckTest, ATargetWithoutARecordAndABadBudgetAreToldInOneSentence) {
  test::MakeDirs(dir_ / "empty");
  EXPECT_EQ(Run("--verify " + Quoted("empty")), 1);
  EXPECT_EQ(OutLines(), std::vector<std::string>{kNothingToCheck});
  EXPECT_EQ(Run("--status " + Quoted("empty")), 1);
  EXPECT_EQ(Lines(Out()), std::vector<std::string>{kNoStatusNotice});
  EXPECT_EQ(Run("--verify --budget 0 " + Quoted("dst")), 2);
  // The sentence first; a Windows console program ends its lines with CR LF.
  EXPECT_EQ(
      Err().rfind("quillstone-run: --budget takes a whole percentage from 1 to 100, not 0", 0), 0u)
      << Err();
  EXPECT_EQ(Out(), "");
  EXPECT_EQ(Run("--verify " + Quoted("missing")), 2);
}

}  // namespace
}  // namespace qs
