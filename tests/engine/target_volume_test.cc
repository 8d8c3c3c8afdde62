// The probes a run makes of its target: how finely a volume keeps times, and whether it
// finds names in another case. The double stands in for coarse and case-folding volumes.
#include "engine/target_volume.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/test_support.h"

namespace qs {
namespace {

class TargetVolumeTest : public ::testing::Test {
 protected:
  int Creations() {
    return static_cast<int>(std::count_if(fs_.events.begin(), fs_.events.end(), [](const auto& e) {
      return e.rfind("create ", 0) == 0;
    }));
  }

  /// Whether the volume the tests run on folds case by itself.
  static bool NativeFolding() { return kPathSeparator == '\\'; }

  test::ScopedTempDir dir_;
  test::FaultyFileSystem fs_;
};

TEST_F(TargetVolumeTest, TheProbeLearnsEachVolumesStepAndLeavesNothingBehind) {
  // The volume the tests run on keeps nanoseconds (POSIX) or 100 ns (Windows).
  const TimeStep native = ProbeTimeStep(fs_, dir_.path());
  EXPECT_TRUE(native == kExactTimes || native == 100) << native;
  for (const TimeStep step :
       {TimeStep{1000}, TimeStep{10000000}, TimeStep{1000000000}, TimeStep{2000000000}}) {
    fs_.timeStep = step;
    EXPECT_EQ(step, ProbeTimeStep(fs_, dir_.path())) << step;
  }
  EXPECT_TRUE(test::ListTree(dir_.path()).empty());
}

TEST_F(TargetVolumeTest, AVolumeThatCannotTakeTheProbeIsComparedExactly) {
  EXPECT_EQ(kExactTimes, ProbeTimeStep(fs_, dir_ / "missing"));
  // A volume that gives back another time altogether (here: the hour) says nothing about
  // its step.
  fs_.timeStep = int64_t{3600} * 1000000000;
  EXPECT_EQ(kExactTimes, ProbeTimeStep(fs_, dir_.path()));
}

// Coarse steps and a zone's hours off are kept times; a time read back days off the one set
// (the moment of the write, a fixed date) is a volume that dates files by itself.
TEST_F(TargetVolumeTest, TheProbeTellsAVolumeThatDropsTheTimesSet) {
  EXPECT_TRUE(ProbeTimeKeeping(fs_, dir_.path()).kept);
  for (const TimeStep step : {TimeStep{2000000000}, int64_t{3600} * 1000000000}) {
    fs_.timeStep = step;
    EXPECT_TRUE(ProbeTimeKeeping(fs_, dir_.path()).kept) << step;
  }
  fs_.timeStep = 0;
  fs_.dropTimes = true;  // the probe file keeps the time it was made at: now
  const TimeKeeping dropped = ProbeTimeKeeping(fs_, dir_.path());
  EXPECT_FALSE(dropped.kept);
  EXPECT_EQ(kExactTimes, dropped.step);
  EXPECT_TRUE(test::ListTree(dir_.path()).empty());
  EXPECT_TRUE(ProbeTimeKeeping(fs_, dir_ / "missing").kept);  // cannot tell: no word
  // Without writing, nothing can be told either.
  EXPECT_TRUE(TargetVolumes(fs_, false).KeepingOf(3, dir_.path()).kept);
}

TEST_F(TargetVolumeTest, EachVolumeIsProbedOnceARun) {
  fs_.timeStep = 2000000000;
  TargetVolumes volumes(fs_);
  EXPECT_EQ(2000000000, volumes.StepOf(7, dir_.path()));
  EXPECT_EQ(2000000000, volumes.StepOf(7, dir_.path()));
  EXPECT_EQ(1, Creations());
  fs_.timeStep = 1000000000;
  EXPECT_EQ(1000000000, volumes.StepOf(8, dir_.path()));
  EXPECT_EQ(2000000000, volumes.StepOf(7, dir_.path()));
  EXPECT_EQ(2, Creations());
}

TEST_F(TargetVolumeTest, CaseFoldingIsSeenInAnExistingNameWithoutWriting) {
  test::WriteFile(dir_ / "Report.txt", "");
  // Windows' own volumes fold case; POSIX ones do not, until the double does.
  EXPECT_EQ(NativeFolding(), ProbeCaseFolding(fs_, dir_.path()));
  fs_.foldsCase = true;
  EXPECT_TRUE(ProbeCaseFolding(fs_, dir_.path()));
  EXPECT_EQ(0, Creations());
}

TEST_F(TargetVolumeTest, CaseFoldingOfAnEmptyTargetIsLearntFromATemporaryFile) {
  test::WriteFile(dir_ / "2024/123", "");  // names without letters say nothing
  EXPECT_EQ(NativeFolding(), ProbeCaseFolding(fs_, dir_.path()));
  fs_.foldsCase = true;
  EXPECT_TRUE(ProbeCaseFolding(fs_, dir_.path()));
  EXPECT_EQ(2, Creations());
  EXPECT_EQ(std::vector<std::string>{"2024/123"}, test::ListTree(dir_.path()));
  EXPECT_FALSE(ProbeCaseFolding(fs_, dir_ / "missing"));
}

}  // namespace
}  // namespace qs
