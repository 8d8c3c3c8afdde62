// Windows keeps times as 100-nanosecond units since 1601-01-01 00:00 UTC (FILETIME), for the
// years 1601 to 30828; the seam's times count from 1970.
#pragma once

#include <cstdint>

#include "os/file_system.h"

namespace qs::win32 {

/// The time of a count of units; counts beyond 2^63 - 1, which Windows does not store, are
/// taken as that.
FileTime FromUnits(uint64_t units);

/// The count of units for `time`, rounded down to the 100 ns step (also before 1970); false
/// when Windows cannot hold the time (before 1601, or beyond 2^63 - 1 units).
bool ToUnits(FileTime time, uint64_t* units);

}  // namespace qs::win32
