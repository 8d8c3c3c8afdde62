// As for the backups, the operation is recorded once and each crash point's states are built
// from the op log; the states alike for the checks are booted once.
#include "tests/crash/crash_operations.h"

#include <sstream>
#include <unordered_set>

namespace qs::test {

namespace {

constexpr int64_t kHourTicks = int64_t{3600} * 10000000;

class OperationExplorer {
 public:
  OperationExplorer(OperationCase& operation, const ExploreOptions& options)
      : operation_(operation), options_(options) {}

  ExploreSummary Run() {
    fs_ = operation_.Prepare(clock_);
    std::vector<Violation> found;
    operation_.Run(*fs_, clock_, &found);
    Record(found, "the run itself");
    const std::vector<CrashCall> calls = fs_->Calls();
    summary_.workloads = 1;
    summary_.calls = calls.size();
    for (const uint64_t point : CrashPoints(calls, options_.everyNth)) ExplorePoint(point, calls);
    return summary_;
  }

 private:
  void ExplorePoint(uint64_t point, const std::vector<CrashCall>& calls) {
    ++summary_.crashPoints;
    const std::string where = CrashPointName(point, calls);
    for (const CrashState& state :
         CrashStatesFor(fs_->PendingWritesAt(point), options_.states, point)) {
      ++summary_.crashStates;
      const CrashImage crashed = fs_->ImageAt(point, state.fates);
      if (!seen_.insert(std::hash<std::string>()(operation_.Key(crashed, point))).second) continue;
      ++summary_.distinctStates;
      std::vector<Violation> found;
      operation_.CheckCrash(crashed, point, &found);
      Record(found, where + ", " + state.label);
      found.clear();
      std::unique_ptr<CrashFileSystem> rebooted = fs_->Reboot(crashed);
      FakeClock later;
      later.SetWallTicks(clock_.WallTicks() + kHourTicks);
      operation_.CheckRerun(*rebooted, later, &found);
      Record(found, where + ", " + state.label + ", rerun");
    }
  }

  void Record(const std::vector<Violation>& found, const std::string& label) {
    for (const Violation& one : found) {
      ++summary_.violations[static_cast<size_t>(one.invariant)];
      if (summary_.examples.size() < options_.examplesKept)
        summary_.examples.push_back(operation_.Name() + ", " + label + ": " +
                                    InvariantName(one.invariant) + ": " + one.detail);
    }
  }

  OperationCase& operation_;
  const ExploreOptions& options_;
  FakeClock clock_;
  std::unique_ptr<CrashFileSystem> fs_;
  std::unordered_set<size_t> seen_;
  ExploreSummary summary_;
};

}  // namespace

std::vector<std::unique_ptr<OperationCase>> OperationCases() {
  // These flush files and folders one by one whatever the volume: over a volume without a
  // whole-volume flush they make the same calls and crash in the same states.
  std::vector<std::unique_ptr<OperationCase>> all;
  all.push_back(MakePruneCase(true, 1));
  all.push_back(MakePruneCase(true, 2));
  all.push_back(MakeRestoreCase(false));
  all.push_back(MakeRestoreCase(true));
  all.push_back(MakeRecordCase(true, false));
  all.push_back(MakeRecordCase(true, true));
  return all;
}

ExploreSummary ExploreOperation(OperationCase& operation, const ExploreOptions& options) {
  return OperationExplorer(operation, options).Run();
}

Tree FilesBelow(const CrashImage& image, const std::string& root,
                std::vector<std::string>* folders) {
  Tree tree;
  for (const auto& [relative, node] : image.Files(root, folders))
    tree[relative] = {node->data, node->lastWrite};
  return tree;
}

std::string ImageKey(const CrashImage& image, const std::vector<std::string>& roots) {
  std::ostringstream key;
  for (const std::string& root : roots) {
    std::vector<std::string> folders;
    key << "[" << root << "]\n";
    for (const auto& [relative, copy] : FilesBelow(image, root, &folders))
      key << relative << '\0' << copy.bytes << '\0' << copy.time.seconds << '.' << copy.time.nanos
          << '\n';
    for (const std::string& folder : folders) key << folder << "/\n";
  }
  return key.str();
}

int RunCommandOn(int (*command)(const RunArgs&, const RunnerContext&), const RunArgs& args,
                 FileSystem& fs, FakeClock& clock, std::string* log) {
  std::ostringstream out;
  const RunnerContext context{fs, LogServices{.clock = &clock, .console = &out}, out};
  const int status = command(args, context);
  *log = out.str();
  return status;
}

}  // namespace qs::test
