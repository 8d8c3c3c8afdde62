// A damaged copy put right from another file with the bytes the record says it held: the
// source, while it still matches the record, or another copy with the same hash.
#pragma once

#include <string>
#include <vector>

#include "engine/record_listing.h"
#include "os/file_system.h"

namespace qs {

/// A file that may hold the bytes a damaged copy should have.
struct RepairDonor {
  std::string path;
  /// The source: it counts only while its size and time are the recorded ones too (another
  /// copy may carry another time for the same bytes).
  bool mustMatchTime = false;
};

struct RepairResult {
  bool repaired = false;
  std::string from;  ///< the donor used
  std::string why;   ///< when not repaired: why the last donor could not serve
};

/// Tries the donors in turn. Only bytes whose hash, taken as they were copied (or read back from
/// a temporary file beside the damaged copy), is the recorded one replace the damaged copy, in
/// one step and durably, with the recorded last-write time.
RepairResult RepairCopy(FileSystem& fs, const std::string& damaged, const RecordedFile& recorded,
                        const std::vector<RepairDonor>& donors);

}  // namespace qs
