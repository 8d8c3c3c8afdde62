// Setting a file's last-write time exactly: needed by tests and benchmarks, not by the program.
#pragma once

#include <string>

#include "os/file_system.h"

namespace qs {

/// Sets the last-write time (nanoseconds since 1970 UTC); false when the system refuses.
bool SetLastWriteTime(const std::string& path, FileTime time);

}  // namespace qs
