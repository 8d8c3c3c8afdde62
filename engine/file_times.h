// The one decision of a run: is the source newer than its copy?
#pragma once

#include "platform/file_system.h"

namespace qs {

/// True when `source` is later than `target`, except where `target` equals `source` cut
/// down to the step of a coarse file system (2 s, 1 s, 10 ms, 1 us or 100 ns): such a copy is as
/// new as its source, only stored with less precision.
bool SourceIsNewer(FileTime source, FileTime target);

}  // namespace qs
