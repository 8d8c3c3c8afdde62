// The sweep: each workload is run once on the crash double; at each of its crash points every
// crash state is booted, checked, and backed up again.
#pragma once

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "tests/crash/crash_invariants.h"
#include "tests/crash/crash_workloads.h"
#include "tests/support/crash_states.h"

namespace qs::test {

struct ExploreOptions {
  CrashStateOptions states;
  /// Crash points: before and after every durability call, and at every n-th call.
  uint64_t everyNth = 1;
  /// Also the workloads whose flushes fail in turn.
  bool failures = true;
  /// Only the workloads whose name holds this text, when not empty.
  std::string only;
  /// Violations described in full; the rest are counted.
  size_t examplesKept = 20;
};

struct ExploreSummary {
  uint64_t workloads = 0;
  uint64_t calls = 0;
  uint64_t crashPoints = 0;
  uint64_t crashStates = 0;     ///< states tried, alike ones included
  uint64_t distinctStates = 0;  ///< targets checked and backed up again
  uint64_t temporaryNames = 0;  ///< temporary files a crash left in a target, over all states
  std::array<uint64_t, static_cast<size_t>(Invariant::kCount)> violations{};
  std::vector<std::string> examples;

  uint64_t Violations() const;
  void Add(const ExploreSummary& other, size_t examples_kept);
};

/// The crash points of a run of `calls`: before and after every durability call, at every
/// `every`-th call, and at the end.
std::vector<uint64_t> CrashPoints(const std::vector<CrashCall>& calls, uint64_t every);
/// "crash point N (before CALL)", or "(before the end)" after the last call.
std::string CrashPointName(uint64_t point, const std::vector<CrashCall>& calls);

ExploreSummary ExploreWorkload(const Workload& workload, const ExploreOptions& options);
/// Every standard workload and operation; one line on `progress` for each when given.
ExploreSummary Explore(const ExploreOptions& options, std::ostream* progress);
/// The counts, then the violations by invariant and the examples.
void PrintSummary(const ExploreSummary& summary, std::ostream& out);

}  // namespace qs::test
