// A PATH as typed for --versions and --restore.
#pragma once

#include <string>

namespace qs {

/// The PATH below the roots: the native separator, no separator at either end. False, with
/// the usage message in `why`, for an absolute path.
bool ReadPathBelowRoots(const std::string& typed, std::string* relative, std::string* why);

}  // namespace qs
