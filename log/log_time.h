// The time texts of the logs and of version directory names.
#pragma once

#include <string>

#include "os/clock.h"
#include "os/file_system.h"

namespace qs {

/// Local date and time with milliseconds, exactly 23 characters: 2025-01-31 08:05:09.007.
std::string CurrentTimeText(Clock& clock);

/// Local date and time, exactly 15 characters: 20250131_080509.
std::string CompactTimestamp(Clock& clock);

/// Local date and time to the second, 19 characters: 2025-01-31 08:05:09.
std::string SecondsTimeText(int64_t seconds);

/// The whole seconds of a wall clock reading in 100 ns ticks, rounded down (before 1970 too).
int64_t SecondsOfTicks(int64_t ticks);

/// A file's last-write time as local date and time with milliseconds, as CurrentTimeText
/// gives the present.
std::string FileTimeText(FileTime time);

}  // namespace qs
