// Windows: the Task Scheduler.
#include "platform/system_scheduler.h"

namespace qs {

SystemScheduler ThisSystemScheduler() { return SystemScheduler::kTaskScheduler; }

}  // namespace qs
