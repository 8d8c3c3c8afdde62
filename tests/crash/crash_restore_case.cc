// A restore of the backup VersionedRuns() leaves (as it is now, or as of a moment between two
// runs) into a DEST that does not exist yet. The target is read only; in DEST a file is absent
// or whole; a rerun into a new DEST after the crash gives the whole tree, each file with its
// copy's time.
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
  explicit RestoreCase(bool as_of) {
    args_.mode = RunArgs::Mode::kRestore;
    args_.target = TargetRoot();
    args_.dest = RestoreRoot() + Native("/out");
    // Between the second run and the third: copies from the version folders too.
    args_.hasAsOf = as_of;
    args_.asOf = {2025, 1, 31, 9, 30, 0};
  }

  std::string Name() const override {
    return args_.hasAsOf ? "restore as of a moment between two runs" : "restore";
  }

  std::unique_ptr<CrashFileSystem> Prepare(FakeClock& clock) override {
    const Workload runs{"versions", true, true, VersionedRuns(), {}, {}};
    std::unique_ptr<CrashFileSystem> fs = PrepareWorkload(runs, clock);
    target_key_ = ImageKey(fs->Live(), {TargetRoot()});
    expected_ = ViewTarget(fs->Live()).current;
    return fs;
  }

  void Run(CrashFileSystem& fs, FakeClock& clock, std::vector<Violation>* found) override {
    std::string log;
    if (RunCommandOn(RunRestoreCommand, args_, fs, clock, &log) != 0)
      found->push_back({Invariant::kRestoreCompletes, "the restore failed: " + log});
    if (!args_.hasAsOf) {
      if (FilesBelow(fs.Live(), args_.dest) != expected_)
        found->push_back({Invariant::kRestoreCompletes, "the restore gave another tree"});
      return;
    }
    // As of a moment: the tree the restore gave when nothing crashed, which must hold copies
    // that the current tree no longer does.
    const Tree current = expected_;
    expected_ = FilesBelow(fs.Live(), args_.dest);
    if (expected_ == current || expected_.size() != current.size())
      found->push_back({Invariant::kRestoreCompletes, "the moment gave no older tree"});
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
  RunArgs args_;
  std::string target_key_;
  Tree expected_;
};

}  // namespace

std::unique_ptr<OperationCase> MakeRestoreCase(bool as_of) {
  return std::make_unique<RestoreCase>(as_of);
}

}  // namespace qs::test
