// What a process does when it writes to a pipe whose reader has gone.
#pragma once

namespace qs {

/// From now on such a write fails with an error instead of ending the process, so a log
/// reader that stops early (`quillstone-run ... | head`) cannot cut a backup short.
void IgnoreBrokenPipes();

}  // namespace qs
