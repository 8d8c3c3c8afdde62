// Whether a backup's SOURCE lies inside its TARGET: such a run would copy the target into
// itself, deeper at every run.
#pragma once

#include <string>

#include "os/file_system.h"

namespace qs {

enum class RootOverlap {
  kApart,         ///< or TARGET inside SOURCE, which the scan leaves out
  kSame,          ///< one folder, by whatever names
  kSourceInside,  ///< SOURCE is a folder below TARGET
};

/// Compares the folders themselves (device and node), walking up from SOURCE through its
/// parents as the system resolves them, so that links, "..", and other spellings of one
/// folder are seen through. kApart when either cannot be identified (the run reports that).
RootOverlap CompareRoots(FileSystem& fs, const std::string& source, const std::string& target);

}  // namespace qs
