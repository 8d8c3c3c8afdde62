// The notification of a check of the copies: one when it found damaged copies, none otherwise.
#pragma once

#include <string>

#include "engine/check_copies.h"
#include "os/notifier.h"

namespace qs {

/// What the notification of a check with `results` of `target` says; false when it found no
/// damaged copy.
bool CheckDamageNotification(const CheckResults& results, const std::string& target,
                             Notification* notification);

}  // namespace qs
