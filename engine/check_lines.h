// The lines a check of the copies writes to the log, one for each thing it found and a summary
// at the end, in the words a person reads.
#pragma once

#include <string>
#include <vector>

#include "engine/check_copies.h"
#include "engine/check_events.h"

namespace qs {

/// The log's line for `event`.
std::string CheckEventLine(const CheckEvent& event);

/// The check's last lines: what was read and found; nothing for a check that found no record.
std::vector<std::string> CheckSummaryLines(const CheckResults& results);

/// The sentence for a target without a record.
inline constexpr char kNothingToCheck[] =
    "No record of the runs is kept in this target, so no copy can be checked: it is made by "
    "the next backup into it.";

}  // namespace qs
