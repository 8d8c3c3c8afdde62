// A run is recorded once: the state at a crash point depends only on the calls before it, so
// the run goes on past every point, and each point's states are built from the op log.
#include "tests/crash/crash_exploration.h"

#include <numeric>
#include <unordered_set>

#include "engine/paths.h"
#include "tests/crash/crash_operations.h"

namespace qs::test {

namespace {

constexpr int64_t kHourTicks = int64_t{3600} * 10000000;

std::string RelativeOf(const std::string& target_path) {
  std::string relative = target_path.substr(TargetRoot().size() + 1);
  for (char& c : relative)
    if (c == kPathSeparator) c = '/';
  return relative;
}

std::string LastName(const std::string& path) {
  const std::string plain = WithoutTrailingSeparator(path);
  return plain.substr(plain.rfind(kPathSeparator) + 1);
}

class WorkloadExplorer {
 public:
  WorkloadExplorer(const Workload& workload, const ExploreOptions& options)
      : workload_(workload), options_(options) {}

  ExploreSummary Run() {
    fs_ = PrepareWorkload(workload_, clock_);
    expected_ = ExpectationFor(fs_->Live(), workload_.timeVersioning);
    if (workload_.failure.nth != 0)
      fs_->FailNth(workload_.failure.call, workload_.failure.nth, workload_.failure.code);
    const RunOutcome run = RunBackupOn(*fs_, clock_, workload_.timeVersioning);
    for (const std::string& path : run.versionsNotSaved)
      expected_.notSaved.insert(RelativeOf(path));
    if (!run.results.versionDir.empty()) expected_.versionFolder = LastName(run.results.versionDir);
    const std::vector<CrashCall> calls = fs_->Calls();
    summary_.workloads = 1;
    summary_.calls = calls.size();
    CheckEndedDurable(run, calls.size());
    for (const uint64_t point : CrashPoints(calls, options_.everyNth)) ExplorePoint(point, calls);
    return summary_;
  }

 private:
  void CheckEndedDurable(const RunOutcome& run, uint64_t end) {
    if (run.results.flushFailures != 0) return;  // reported: the names may not last
    const TargetView live = ViewTarget(fs_->Live());
    if (TargetKey(ViewTarget(fs_->ImageAt(end, {}))) != TargetKey(live))
      Record({Invariant::kEndedDurable, "the run's backup is not all on the disk at its end"},
             "the run's end, all pending dropped");
  }

  void ExplorePoint(uint64_t point, const std::vector<CrashCall>& calls) {
    ++summary_.crashPoints;
    const std::string where = CrashPointName(point, calls);
    for (const CrashState& state :
         CrashStatesFor(fs_->PendingWritesAt(point), options_.states, point)) {
      ++summary_.crashStates;
      const TargetView crashed = ViewTarget(fs_->ImageAt(point, state.fates));
      if (!seen_.insert(std::hash<std::string>()(TargetKey(crashed))).second) continue;
      ++summary_.distinctStates;
      summary_.temporaryNames += crashed.temporaryNames;
      const std::string label = where + ", " + state.label;
      for (const Violation& found : CheckCrashState(crashed, expected_)) Record(found, label);
      Rerun(point, state, label);
    }
  }

  void Rerun(uint64_t point, const CrashState& state, const std::string& label) {
    std::unique_ptr<CrashFileSystem> rebooted = fs_->Reboot(fs_->ImageAt(point, state.fates));
    FakeClock clock;
    clock.SetWallTicks(clock_.WallTicks() + kHourTicks);
    const RunOutcome rerun = RunBackupOn(*rebooted, clock, workload_.timeVersioning);
    const TargetView after = ViewTarget(rebooted->Live());
    const TargetView durable = ViewTarget(rebooted->ImageAt(rebooted->CallCount(), {}));
    for (const Violation& found : CheckRerun(after, durable, rerun, expected_))
      Record(found, label + ", rerun");
  }

  void Record(const Violation& found, const std::string& label) {
    ++summary_.violations[static_cast<size_t>(found.invariant)];
    if (summary_.examples.size() < options_.examplesKept)
      summary_.examples.push_back(workload_.name + ", " + label + ": " +
                                  InvariantName(found.invariant) + ": " + found.detail);
  }

  const Workload& workload_;
  const ExploreOptions& options_;
  FakeClock clock_;
  std::unique_ptr<CrashFileSystem> fs_;
  Expectation expected_;
  std::unordered_set<size_t> seen_;
  ExploreSummary summary_;
};

}  // namespace

std::string CrashPointName(uint64_t point, const std::vector<CrashCall>& calls) {
  return "crash point " + std::to_string(point) + " (before " +
         (point < calls.size() ? CrashCallName(calls[point]) : "the end") + ")";
}

std::vector<uint64_t> CrashPoints(const std::vector<CrashCall>& calls, uint64_t every) {
  std::vector<uint64_t> points;
  const uint64_t end = calls.size();
  for (uint64_t p = 0; p <= end; ++p) {
    const bool after_durability = p > 0 && IsDurabilityCall(calls[p - 1]);
    const bool before_durability = p < end && IsDurabilityCall(calls[p]);
    if (p % every == 0 || p == end || after_durability || before_durability) points.push_back(p);
  }
  return points;
}

uint64_t ExploreSummary::Violations() const {
  return std::accumulate(violations.begin(), violations.end(), uint64_t{0});
}

void ExploreSummary::Add(const ExploreSummary& other, size_t examples_kept) {
  workloads += other.workloads;
  calls += other.calls;
  crashPoints += other.crashPoints;
  crashStates += other.crashStates;
  distinctStates += other.distinctStates;
  temporaryNames += other.temporaryNames;
  for (size_t i = 0; i < violations.size(); ++i) violations[i] += other.violations[i];
  for (const std::string& example : other.examples)
    if (examples.size() < examples_kept) examples.push_back(example);
}

ExploreSummary ExploreWorkload(const Workload& workload, const ExploreOptions& options) {
  return WorkloadExplorer(workload, options).Run();
}

namespace {

void Progress(const std::string& name, const ExploreSummary& one, std::ostream* progress) {
  if (progress == nullptr) return;
  *progress << name << ": " << one.calls << " calls, " << one.crashPoints << " crash points, "
            << one.crashStates << " crash states (" << one.distinctStates << " distinct), "
            << one.Violations() << " violations" << std::endl;
}

}  // namespace

ExploreSummary Explore(const ExploreOptions& options, std::ostream* progress) {
  ExploreSummary total;
  for (const Workload& workload : StandardWorkloads(options.failures)) {
    if (workload.name.find(options.only) == std::string::npos) continue;
    const ExploreSummary one = ExploreWorkload(workload, options);
    Progress(workload.name, one, progress);
    total.Add(one, options.examplesKept);
  }
  for (const std::unique_ptr<OperationCase>& operation : OperationCases()) {
    if (operation->Name().find(options.only) == std::string::npos) continue;
    const ExploreSummary one = ExploreOperation(*operation, options);
    Progress(operation->Name(), one, progress);
    total.Add(one, options.examplesKept);
  }
  return total;
}

void PrintSummary(const ExploreSummary& summary, std::ostream& out) {
  out << summary.workloads << " workloads, " << summary.calls << " calls, " << summary.crashPoints
      << " crash points, " << summary.crashStates << " crash states explored ("
      << summary.distinctStates << " distinct targets, each checked and backed up again), "
      << summary.temporaryNames << " temporary names left by crashes, " << summary.Violations()
      << " violations\n";
  for (size_t i = 0; i < summary.violations.size(); ++i)
    if (summary.violations[i] != 0)
      out << "  " << summary.violations[i] << " x " << InvariantName(static_cast<Invariant>(i))
          << "\n";
  for (const std::string& example : summary.examples) out << "  - " << example << "\n";
}

}  // namespace qs::test
