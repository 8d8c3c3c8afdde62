// SIGPIPE ends a process by default; ignored, the write returns EPIPE instead.
#include <csignal>

#include "platform/broken_pipe.h"

namespace qs {

void IgnoreBrokenPipes() { std::signal(SIGPIPE, SIG_IGN); }

}  // namespace qs
