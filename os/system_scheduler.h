// Which scheduler of its own the system offers for runs while no window is open.
#pragma once

namespace qs {

enum class SystemScheduler {
  kSystemdUser,    ///< a systemd user service and timer (Linux)
  kTaskScheduler,  ///< a Task Scheduler task of the user (Windows)
};

SystemScheduler ThisSystemScheduler();

}  // namespace qs
