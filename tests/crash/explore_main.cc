// crash_explore: the crash exploration as a program. Without options it runs the bounded,
// seeded sweep of the test suite; --all runs the long one. Exit 1 on any violation, or when
// fewer distinct states than --min-states were explored; 2 for a usage error.
//
//   crash_explore [--all] [--seed N] [--every N] [--random N] [--torn N] [--no-failures]
//                 [--only TEXT] [--min-states N]
#include <cstdlib>
#include <iostream>
#include <string>

#include "tests/crash/crash_exploration.h"

namespace {

bool Number(int argc, char** argv, int* at, uint64_t* value) {
  if (*at + 1 >= argc) return false;
  char* end = nullptr;
  *value = std::strtoull(argv[++*at], &end, 10);
  return end != nullptr && *end == '\0';
}

bool Parse(int argc, char** argv, qs::test::ExploreOptions* options, uint64_t* seeds,
           uint64_t* min_states) {
  for (int at = 1; at < argc; ++at) {
    const std::string arg = argv[at];
    uint64_t n = 0;
    if (arg == "--all") {
      // Twice the random subsets and the torn writes, over five seeds.
      options->everyNth = 1;
      options->states.randomSubsets = 2048;
      options->states.tornWrites = 32;
      *seeds = 5;
    } else if (arg == "--no-failures") {
      options->failures = false;
    } else if (arg == "--seed" && Number(argc, argv, &at, &n)) {
      options->states.seed = n;
    } else if (arg == "--every" && Number(argc, argv, &at, &n) && n > 0) {
      options->everyNth = n;
    } else if (arg == "--random" && Number(argc, argv, &at, &n)) {
      options->states.randomSubsets = n;
    } else if (arg == "--torn" && Number(argc, argv, &at, &n)) {
      options->states.tornWrites = n;
    } else if (arg == "--only" && at + 1 < argc) {
      options->only = argv[++at];
    } else if (arg == "--min-states" && Number(argc, argv, &at, &n)) {
      *min_states = n;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  qs::test::ExploreOptions options;
  options.everyNth = 1;
  options.states.randomSubsets = 1024;
  options.states.tornWrites = 16;
  uint64_t seeds = 1, min_states = 0;
  if (!Parse(argc, argv, &options, &seeds, &min_states)) {
    std::cerr << "usage: crash_explore [--all] [--seed N] [--every N] [--random N] [--torn N] "
                 "[--no-failures] [--only TEXT] [--min-states N]\n";
    return 2;
  }
  qs::test::ExploreSummary total;
  const uint64_t first_seed = options.states.seed;
  for (uint64_t seed = first_seed; seed < first_seed + seeds; ++seed) {
    options.states.seed = seed;
    std::cout << "seed " << seed << ":\n";
    total.Add(qs::test::Explore(options, &std::cout), options.examplesKept);
  }
  qs::test::PrintSummary(total, std::cout);
  if (total.distinctStates < min_states) {
    std::cout << "fewer distinct crash states than the " << min_states << " asked for\n";
    return 1;
  }
  return total.Violations() == 0 ? 0 : 1;
}
