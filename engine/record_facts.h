// The facts the journal keeps, each one frame: a backup run and what the source held then, a
// prune, a check of the copies.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/record_listing.h"

namespace qs {

/// A backup run that reached its end. Times are wall-clock ticks of 100 ns since 1970 UTC.
struct RunFact {
  uint64_t number = 0;  ///< 1 for the first run the record knows, then one more each run
  int64_t startTicks = 0;
  int64_t endTicks = 0;
  std::string sourceRoot;
  int64_t copied = 0, updated = 0, skipped = 0, failed = 0, timeVersioned = 0;
  int exitStatus = 0;
  std::string versionFolder;  ///< the run's version folder's name; empty when it made none
  bool rebuilt = false;       ///< made from the target's copies by --rebuild-record
  /// The listing as it stood after the run: whole, or as changes from the run before.
  bool fullListing = false;
  ListingChanges changes;
  uint64_t failedCount = 0;              ///< files that failed
  std::vector<std::string> failedPaths;  ///< the first of them (record paths)
};

/// Version folders that a prune removed.
struct PruneFact {
  int64_t ticks = 0;
  std::vector<std::string> removedFolders;
};

/// One copy a check read, named by its folder ("" for the current tree) and record path.
struct CheckedCopy {
  std::string folder;
  std::string path;
  bool operator==(const CheckedCopy&) const = default;
};

/// A check of the copies: where its rotation stopped, and what it found.
struct CheckFact {
  int64_t ticks = 0;
  uint64_t bytesRead = 0;
  uint64_t bytesInAll = 0;  ///< the bytes of every copy the record knows, when it ran
  uint64_t cycle = 0;       ///< rotations completed before this check
  CheckedCopy resumeAt;     ///< the next check starts at the first copy not before this
  bool wrapped = false;     ///< this check finished a rotation
  std::vector<CheckedCopy> damaged;
  std::vector<CheckedCopy> changed;
  /// Copies whose hash the record did not know, with the hash read now.
  std::vector<std::pair<CheckedCopy, ContentHash>> learned;
};

/// At most this many failed paths are kept per run; the count says how many there were.
inline constexpr size_t kFailedPathsKept = 1000;

std::string EncodeRun(const RunFact& run);
bool DecodeRun(std::string_view payload, RunFact* run);
/// DecodeRun without keeping the changes (run->changes stays empty): their number instead.
bool DecodeRunWithoutChanges(std::string_view payload, RunFact* run, uint64_t* change_count);
std::string EncodePrune(const PruneFact& prune);
bool DecodePrune(std::string_view payload, PruneFact* prune);
std::string EncodeCheck(const CheckFact& check);
bool DecodeCheck(std::string_view payload, CheckFact* check);

}  // namespace qs
