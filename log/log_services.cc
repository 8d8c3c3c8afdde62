// Defaults for code that logs without a window: the real clock and standard output.
#include "log/log_services.h"

#include "platform/console.h"

namespace qs {

LogServices DefaultLogServices() {
  LogServices services;
  services.clock = &RealClock();
  services.console = &StandardOutput();
  return services;
}

}  // namespace qs
