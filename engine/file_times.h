// The one decision of a run: is the source newer than its copy?
#pragma once

#include <cstdint>

#include "os/file_system.h"

namespace qs {

/// How finely a volume keeps last-write times, in nanoseconds: 1 keeps them exactly, NTFS
/// 100, exFAT 10,000,000, FAT 2,000,000,000.
using TimeStep = int64_t;
constexpr TimeStep kExactTimes = 1;
/// A volume whose step is not known (a dry run on a kind of volume it cannot name): a copy
/// cut down to any of the usual steps then counts as new as its source.
constexpr TimeStep kUnknownStep = -1;

/// `time` cut down to a whole multiple of `step` (towards the past), as a volume with that
/// step stores it. Steps of a second or more count whole seconds since 1970.
FileTime CutDown(FileTime time, TimeStep step);

/// True when `target` is `source` cut down to one of the steps volumes keep times in (2 s,
/// 1 s, 10 ms, 1 us, 100 ns and the other powers of ten): only then does the volume's own
/// step decide whether the copy is older.
bool MayBeCoarseCopyOf(FileTime target, FileTime source);

/// True when `source` is later than `target`, unless `target` is exactly `source` as a
/// volume with steps of `step` stores it: such a copy is as new as its source. With
/// kUnknownStep, unless `target` may be a coarse copy of `source` at all.
bool SourceIsNewer(FileTime source, FileTime target, TimeStep step);

}  // namespace qs
