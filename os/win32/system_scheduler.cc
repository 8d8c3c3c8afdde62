// Windows: the Task Scheduler.
#include "os/system_scheduler.h"

namespace qs {

SystemScheduler ThisSystemScheduler() { return SystemScheduler::kTaskScheduler; }

}  // namespace qs
