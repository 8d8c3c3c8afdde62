// The one line an operation writes, once, about a record it cannot use whole: every operation
// goes on without it (or without its damaged end), so the line says what that costs.
#pragma once

#include <string>

#include "engine/record_store.h"

namespace qs {

/// Empty when the record was read whole, or when there is none yet.
std::string RecordNotice(const RecordStore& store);

/// For a restore or a list of versions in a target that has no record at all.
inline constexpr char kNoRecordNotice[] =
    "No record of the runs is kept in this target: restores as of a moment go by the dates of "
    "the version folders.";

}  // namespace qs
