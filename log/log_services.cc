// Defaults for code that logs without a window: the real clock and standard output.
#include "log/log_services.h"

#include <iostream>

namespace qs {

LogServices DefaultLogServices() {
  LogServices services;
  services.clock = &RealClock();
  services.console = &std::cout;
  return services;
}

}  // namespace qs
