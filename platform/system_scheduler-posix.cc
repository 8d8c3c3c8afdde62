// Linux: the user's systemd manager.
#include "platform/system_scheduler.h"

namespace qs {

SystemScheduler ThisSystemScheduler() { return SystemScheduler::kSystemdUser; }

}  // namespace qs
