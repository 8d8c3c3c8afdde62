// Linux: the user's systemd manager.
#include "os/system_scheduler.h"

namespace qs {

SystemScheduler ThisSystemScheduler() { return SystemScheduler::kSystemdUser; }

}  // namespace qs
