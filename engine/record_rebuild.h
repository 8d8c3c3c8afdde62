// A record made afresh from a target's current copies, for a target whose record is lost,
// damaged or not ours: each copy read and hashed, one run fact holding the whole listing.
#pragma once

#include <functional>
#include <string>

#include "os/clock.h"
#include "os/file_system.h"

namespace qs {

/// Reads and hashes every current copy of `target_root` (which ends with a separator) and
/// writes a new journal with one run, flagged rebuilt. An existing journal is renamed aside
/// first, never deleted. Each line goes to `log`. Returns 0, or 1 when a copy could not be
/// read (it is listed without a hash) or the record could not be written.
int RebuildRecord(FileSystem& fs, Clock& clock, const std::string& target_root,
                  const std::function<void(const std::string&)>& log);

/// The name a replaced journal is renamed to: "journal.replaced-YYYYMMDD_HHMMSS" (local time).
std::string ReplacedJournalName(int64_t wall_ticks);

}  // namespace qs
