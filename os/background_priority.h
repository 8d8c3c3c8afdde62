// Background priority: a run the person did not start gives way to what the person is doing,
// on the disk (the idle I/O class) and on the processor (a lower priority).
#pragma once

#include <string>

namespace qs {

/// Lowers the calling thread. On Linux the I/O class and the nice value belong to the thread
/// and pass to the threads it starts afterwards; on Windows the threads it starts do not
/// inherit it, so each of them calls this too. False, with the system's code and words in
/// `why`, when the system refused.
bool EnterBackgroundThread(std::string* why);

/// Lowers the whole process, for a program that runs only in the background. On Linux that
/// is the calling thread and the threads it starts afterwards: call it before starting any.
bool EnterBackgroundProcess(std::string* why);

}  // namespace qs
