// SIGPIPE ends a process by default; ignored, the write returns EPIPE instead.
#include "os/broken_pipe.h"

#include <csignal>

namespace qs {

void IgnoreBrokenPipes() { std::signal(SIGPIPE, SIG_IGN); }

}  // namespace qs
