// One copy of the target read and compared with what the record says of it.
#pragma once

#include <cstdint>
#include <string>

#include "engine/file_hash.h"
#include "engine/record_listing.h"
#include "os/content_hash.h"
#include "os/file_system.h"

namespace qs {

struct CopyVerdict {
  enum class Kind : uint8_t {
    kGood,        ///< its bytes have the recorded hash
    kLearned,     ///< the record had no hash for it: `found` is the one to keep
    kDamaged,     ///< same size and time as recorded, other bytes
    kChanged,     ///< missing, or its size or last-write time are not the recorded ones
    kUnreadable,  ///< it could not be read: `code` says why
  };
  Kind kind = Kind::kGood;
  ContentHash found;   ///< for kGood, kLearned and kDamaged
  uint64_t bytes = 0;  ///< what was read
  uint32_t code = 0;
};

/// True when a copy's last-write time `found` is the one recorded, or the recorded one as a
/// volume that keeps coarser times stores it.
bool SameRecordedTime(FileTime found, FileTime recorded);

/// Reads the copy at `path` (a native path) whose record entry is `recorded`, through `reader`. A
/// copy whose size or time differ is not read: its bytes are not the recorded ones by the record's
/// own account.
CopyVerdict CheckCopy(FileSystem& fs, FileHashReader& reader, const std::string& path,
                      const RecordedFile& recorded);

}  // namespace qs
