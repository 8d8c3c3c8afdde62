// Whether this process may add entries to a folder, asked without adding one: what a dry run
// needs to fail a copy where the real one would fail. For the Win32 files only.
#pragma once

#include <string>

namespace qs::win32 {

/// True when `folder` (a system path) is a folder in which this process may make files and
/// folders; else false, with the error a creation there would fail with as the last error.
bool MayCreateIn(const std::wstring& folder);

}  // namespace qs::win32
