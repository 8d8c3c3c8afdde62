// Where a restore may write: DEST must hold nothing yet and lie outside the target, so that a
// restore never mixes old copies into a tree in use nor writes into the backup it reads.
#pragma once

#include <string>

#include "os/file_system.h"

namespace qs {

/// The reason `dest` cannot take a restore from `target` (ending with a separator), or ""
/// when it can.
std::string CheckRestoreDest(FileSystem& fs, const std::string& target, const std::string& dest);

/// The reason `dest` cannot take a restore when the source folder is `source` (it is that
/// folder or lies inside it: old copies would be mixed into the tree being backed up), or ""
/// when it can; "" too when no source is given.
std::string CheckDestOutsideSource(FileSystem& fs, const std::string& source,
                                   const std::string& dest);

}  // namespace qs
