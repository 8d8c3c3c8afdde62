// The Win32 file system over given replace calls, so that tests can run it under Windows'
// rules for read-only files where Wine does not enforce them.
#pragma once

#include <memory>

#include "os/file_system.h"
#include "os/win32/win32_replace.h"

namespace qs::win32 {

/// MakeRealFileSystem() is this over RealReplaceCalls().
std::unique_ptr<FileSystem> MakeWin32FileSystem(ReplaceCalls& calls);

}  // namespace qs::win32
