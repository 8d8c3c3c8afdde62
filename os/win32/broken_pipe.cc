// Windows has no SIGPIPE: a write to a closed pipe already just fails.
#include "os/broken_pipe.h"

namespace qs {

void IgnoreBrokenPipes() {}

}  // namespace qs
