// The crash states worth trying at one crash point, as the fates of the ops pending there:
// all dropped, all kept, every prefix in issue order, torn writes, and seeded random subsets.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/crash_image.h"

namespace qs::test {

struct CrashStateOptions {
  /// Random subsets tried at each point (besides the systematic states).
  size_t randomSubsets = 8;
  uint64_t seed = 1;
  /// Writes torn at each point: each as a prefix and as zeros, the ops before it kept.
  size_t tornWrites = 8;
};

struct CrashState {
  std::string label;  ///< how to find it again: "prefix 3/7", "random 2", "torn zeros of op 4"
  std::vector<Fate> fates;
};

/// The states for `pending` ops, `writes[i]` telling whether op i is a write. No two are
/// alike; every state is the same for the same seed and point.
std::vector<CrashState> CrashStatesFor(const std::vector<bool>& writes,
                                       const CrashStateOptions& options, uint64_t point);

}  // namespace qs::test
