// A trigger's own lines (started, stopped, the next run's due time) reach the window as a
// run's events do.
#pragma once

#include "log/run_events.h"
#include "schedule/run_seams.h"

namespace qs {

/// Tells the observers of `seams`, then its backup log (or the console when it has no pane),
/// of `event`, in the order a run's job tells them, on the calling thread: the window's for a
/// start or a stop, the trigger's own for the rest.
void ReportTriggerEvent(const RunSeams& seams, const RunEvent& event);

}  // namespace qs
