// The one line an operation writes, once, about a record it cannot use whole: every operation
// goes on without it (or without its damaged end), so the line says what that costs.
#pragma once

#include <optional>
#include <string>

#include "engine/record_store.h"
#include "log/operation_lines.h"
#include "log/run_events.h"

namespace qs {

/// The event about a record that cannot be used whole; none when it was read whole, or when
/// there is none yet. Its path lies in `store`.
std::optional<RunEvent> RecordNoticeEvent(const RecordStore& store);

/// Tells `observer` of a record that cannot be used whole; of none at all too, when
/// `say_none` (a restore as of a moment, or a list of versions, goes by the folders then).
void ReportRecord(const RecordStore& store, bool say_none, RunObserver& observer);

/// That event's line; empty when there is none.
std::string RecordNotice(const RecordStore& store);

}  // namespace qs
