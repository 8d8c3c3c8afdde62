// A restore of the backup VersionedRuns() leaves into a DEST that does not exist yet. The
// target is read only; in DEST a file is absent or whole; a rerun into a new DEST after the
// crash gives the whole tree, each file with its copy's time.
#include "cli/restore_command.h"
#include "engine/paths.h"
#include "tests/crash/crash_operations.h"

namespace qs::test {

namespace {

constexpr char kTempPrefix[] = ".qs-tmp-";

std::string RestoreRoot() { return Native("/vol/restore"); }

std::string LastName(const std::string& relative) {
  return relative.substr(relative.rfind('/') + 1);
}

class RestoreCase : public OperationCase {
 public:
  explicit RestoreCase(bool whole) : whole_(whole) {
    args_.mode = RunArgs::Mode::kRestore;
    args_.target = TargetRoot();
    args_.dest = RestoreRoot() + Native("/out");
  }

  std::string Name() const override {
    return std::string("restore") +
           (whole_ ? " (whole-volume flush)" : " (flush by file and folder)");
  }

  std::unique_ptr<CrashFileSystem> Prepare(FakeClock& clock) override {
    const Workload runs{"versions", true, whole_, VersionedRuns(), {}, {}};
    std::unique_ptr<CrashFileSystem> fs = PrepareWorkload(runs, clock);
    target_key_ = ImageKey(fs->Live(), {TargetRoot()});
    expected_ = ViewTarget(fs->Live()).current;
    return fs;
  }

  void Run(CrashFileSystem& fs, FakeClock& clock, std::vector<Violation>* found) override {
    std::string log;
    if (RunCommandOn(RunRestoreCommand, args_, fs, clock, &log) != 0)
      found->push_back({Invariant::kRestoreCompletes, "the restore failed: " + log});
    if (FilesBelow(fs.Live(), args_.dest) != expected_)
      found->push_back({Invariant::kRestoreCompletes, "the restore gave another tree"});
  }

  std::string Key(const CrashImage& crashed, uint64_t) const override {
    return ImageKey(crashed, {TargetRoot(), RestoreRoot()});
  }

  void CheckCrash(const CrashImage& crashed, uint64_t,
                  std::vector<Violation>* found) const override {
    if (ImageKey(crashed, {TargetRoot()}) != target_key_)
      found->push_back({Invariant::kTargetUntouched, "the target changed"});
    for (const auto& [relative, copy] : FilesBelow(crashed, args_.dest)) {
      if (LastName(relative).rfind(kTempPrefix, 0) == 0) continue;  // no name of the tree
      const auto want = expected_.find(relative);
      if (want == expected_.end())
        found->push_back({Invariant::kRestoredWhole, relative + " is no file of the backup"});
      else if (want->second.time == copy.time && want->second.bytes != copy.bytes)
        found->push_back(
            {Invariant::kRestoredWhole, relative + " has its copy's time, not its bytes"});
      else if (want->second != copy)
        found->push_back({Invariant::kRestoredWhole, relative + " is not its copy"});
    }
  }

  void CheckRerun(CrashFileSystem& rebooted, FakeClock& clock,
                  std::vector<Violation>* found) override {
    RunArgs again = args_;
    again.dest = RestoreRoot() + Native("/again");
    std::string log;
    if (RunCommandOn(RunRestoreCommand, again, rebooted, clock, &log) != 0)
      found->push_back({Invariant::kRestoreCompletes, "the rerun failed: " + log});
    if (FilesBelow(rebooted.Live(), again.dest) != expected_)
      found->push_back({Invariant::kRestoreCompletes, "the rerun gave another tree"});
    if (ImageKey(rebooted.Live(), {TargetRoot()}) != target_key_)
      found->push_back({Invariant::kTargetUntouched, "the rerun changed the target"});
  }

 private:
  const bool whole_;
  RunArgs args_;
  std::string target_key_;
  Tree expected_;
};

}  // namespace

std::unique_ptr<OperationCase> MakeRestoreCase(bool whole_volume_flush) {
  return std::make_unique<RestoreCase>(whole_volume_flush);
}

}  // namespace qs::test
