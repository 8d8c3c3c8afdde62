// The operations besides a backup that the crash exploration interrupts: a prune, a restore
// and the record's appends. Each is run once on the crash double; at each of its crash points
// every crash state is booted, checked, and the operation's rerun (or a later append) checked.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cli/run_args.h"
#include "cli/runner_context.h"
#include "tests/crash/crash_exploration.h"

namespace qs::test {

class OperationCase {
 public:
  virtual ~OperationCase() = default;
  virtual std::string Name() const = 0;
  /// The file system right before the operation, everything on it durable.
  virtual std::unique_ptr<CrashFileSystem> Prepare(FakeClock& clock) = 0;
  /// The operation explored, once, remembering what the checks need.
  virtual void Run(CrashFileSystem& fs, FakeClock& clock, std::vector<Violation>* found) = 0;
  /// One text for the states that the checks cannot tell apart at `point`.
  virtual std::string Key(const CrashImage& crashed, uint64_t point) const = 0;
  virtual void CheckCrash(const CrashImage& crashed, uint64_t point,
                          std::vector<Violation>* found) const = 0;
  /// The operation (or its next step) after a reboot into the crash state.
  virtual void CheckRerun(CrashFileSystem& rebooted, FakeClock& clock,
                          std::vector<Violation>* found) = 0;
};

/// Prunes of three version folders, restores of the tree (now and as of a moment), and appends to
/// the record (new, and after a torn end).
std::vector<std::unique_ptr<OperationCase>> OperationCases();

ExploreSummary ExploreOperation(OperationCase& operation, const ExploreOptions& options);

/// Every file below `root` in `image`, by relative path; the folders' paths in `*folders`.
Tree FilesBelow(const CrashImage& image, const std::string& root,
                std::vector<std::string>* folders = nullptr);
/// One text for the files and folders below each of `roots`.
std::string ImageKey(const CrashImage& image, const std::vector<std::string>& roots);

/// Runs a command of the runner on `fs`, its log and errors kept in `*log`; its exit status.
int RunCommandOn(int (*command)(const RunArgs&, const RunnerContext&), const RunArgs& args,
                 FileSystem& fs, FakeClock& clock, std::string* log);

std::unique_ptr<OperationCase> MakePruneCase(bool whole_volume_flush, int keep_last);
std::unique_ptr<OperationCase> MakeRestoreCase(bool as_of);
std::unique_ptr<OperationCase> MakeRecordCase(bool whole_volume_flush, bool torn_start);

}  // namespace qs::test
