// The states of one file's bytes that the record knows, each distinct copy once (the same
// hash is one copy, wherever and however often it was backed up), with where it is kept.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/record_history.h"

namespace qs {

struct DistinctCopy {
  RecordedFile file;          ///< as the latest run that held these bytes listed them
  int64_t firstBackedUp = 0;  ///< the end of the first run that held these bytes (ticks)
  /// The end of the last run that replaced them; none while they are the current copy.
  std::optional<int64_t> replaced;
  /// Where a copy of these bytes is kept: "" for the current tree, else a version folder;
  /// empty when none is kept any more.
  std::vector<std::string> keptIn;
};

/// Every distinct copy of the file at `record_path`, the current one first, then the latest
/// replaced first.
std::vector<DistinctCopy> DistinctCopiesOf(const RecordHistory& history,
                                           const std::string& record_path);

}  // namespace qs
