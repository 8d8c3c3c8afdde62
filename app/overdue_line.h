// The status area's overdue line, checked once a second by the clock thread.
#pragma once

#include "app/app_context.h"

namespace qs {

/// Holds the last successful backup of the stored target against the rule: shows the
/// verdict's line (or clears it) and raises one notification when the backup turns overdue;
/// when that cannot be shown, the backup log says why. The clock thread only.
void ShowOverdue(AppContext& app);

}  // namespace qs
