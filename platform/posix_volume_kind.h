// What a volume's kind says of it: known local file systems by their magic number, and those
// over FUSE by the type in the mount table.
#pragma once

#include <sys/types.h>

#include "platform/file_system.h"

namespace qs::posix {

/// The hint for the volume of `device` whose statfs type is `type`.
VolumeHint HintForVolume(unsigned long type, dev_t device);

}  // namespace qs::posix
