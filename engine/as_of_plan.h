// Which copies rebuild the tree as a recorded run saw the source: every file of that run's
// listing, each with the kept copies whose bytes are the ones listed, or why none is kept.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/record_history.h"

namespace qs {

/// One file of the tree as of a run.
struct AsOfFile {
  std::string relative;   ///< below the roots, native separators
  RecordedFile recorded;  ///< what the run's listing holds for it
  /// The folders keeping a copy of those bytes ("" for the current tree), the current tree
  /// first; empty when no copy is kept any more.
  std::vector<std::string> keptIn;
  /// When none is kept: the version folder a prune removed with it ("" when it was
  /// overwritten without a version saved).
  std::string prunedFolder;
};

struct AsOfPlan {
  size_t run = 0;  ///< index into the history's runs
  std::vector<AsOfFile> files;
};

/// Whether a kept copy holds the bytes a listing gives: the same hash when both know one,
/// else the same size and last-write time.
bool SameRecordedBytes(const RecordedFile& listed, const RecordedFile& kept);

/// The plan for the run at `run` (an index into history.runs()).
AsOfPlan PlanAsOf(const RecordHistory& history, size_t run);

/// The last tick of the whole second `seconds` (since 1970 UTC): a moment typed to the second
/// takes in a run that ended during that second, as the log's stamps show it.
int64_t LastTickOfSecond(int64_t seconds);

/// A moment of the record (ticks of 100 ns since 1970 UTC) as a file time, for showing it.
FileTime TicksAsFileTime(int64_t ticks);

}  // namespace qs
