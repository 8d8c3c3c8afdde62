// Reading a file's bytes and appending to a file, for the Win32 file-system seam.
#pragma once

#include <memory>
#include <string>

#include "os/file_system.h"

namespace qs::win32 {

/// Null, with the error recorded, when `path` cannot be opened or is a folder.
std::unique_ptr<FileReader> OpenFileReader(const std::string& path);

/// Appends and flushes (FlushFileBuffers); false, with the error recorded, when not all went.
bool AppendAndFlush(const std::string& path, const std::string& bytes);

}  // namespace qs::win32
