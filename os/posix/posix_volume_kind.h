// What a volume's kind says of it: known local file systems by their magic number, and those
// over FUSE by the type in the mount table.
#pragma once

#include <sys/types.h>

#include "os/file_system.h"

namespace qs::posix {

/// The hint for the volume of `device` whose statfs type is `type`.
VolumeHint HintForVolume(unsigned long type, dev_t device);

/// True when every name in the open directory `dir_fd` is told apart from its other
/// spellings by case: a local volume of a kind that does, without case folding set on the
/// directory. False when that cannot be known (FUSE, a network, FAT...).
bool KeepsCaseApart(int dir_fd);

}  // namespace qs::posix
