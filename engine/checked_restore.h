// One file put back from a kept copy, the copy first read against what the record says of
// its bytes: a copy that rotted, or was changed outside the backup, never lands in DEST.
#pragma once

#include <cstdint>
#include <string>

#include "engine/as_of_plan.h"
#include "engine/record_listing.h"
#include "os/file_system.h"

namespace qs {

struct CheckedRestore {
  enum class Result : uint8_t {
    kRestored,
    kMissing,  ///< no file at `from`
    kDiffers,  ///< its bytes (or, without a recorded hash, its size or time) are others
    kFailed,   ///< reading or copying failed: `code` says why
  };
  Result result = Result::kRestored;
  uint32_t code = 0;
  bool hashRead = false;  ///< `found` holds the hash of the bytes read
  ContentHash found;
};

/// Reads `from` and, when its bytes are those of `recorded`, copies it durably to `to`.
CheckedRestore RestoreChecked(FileSystem& fs, const std::string& from, const std::string& to,
                              const RecordedFile& recorded);

/// Restores `file` of a plan from the first of its kept copies (below `target_root`) that holds
/// its bytes into `dest_root` (both ending with a separator). A copy that is missing or
/// differs gives way to the next; the outcome is the last one tried, `*folder` its folder.
CheckedRestore RestorePlanned(FileSystem& fs, const std::string& target_root,
                              const std::string& dest_root, const AsOfFile& file,
                              std::string* folder);

}  // namespace qs
