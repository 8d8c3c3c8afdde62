// Whether this process may add entries to a folder, asked without adding one: what a dry run
// needs to fail a copy where the real one would fail.
#pragma once

#include <string>

namespace qs::posix {

/// True when `path` is a folder in which this process may make files and folders; else false,
/// with the error a creation there would fail with recorded as the last error.
bool MayCreateIn(const std::string& path);

}  // namespace qs::posix
