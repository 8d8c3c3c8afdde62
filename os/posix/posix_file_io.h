// Reading a file's bytes and appending to a file, for the POSIX file-system seam.
#pragma once

#include <memory>
#include <string>

#include "os/file_system.h"

namespace qs::posix {

/// Null, with errno recorded, when `path` cannot be opened or is no regular file.
std::unique_ptr<FileReader> OpenFileReader(const std::string& path);

/// Appends and flushes (fdatasync); false, with errno recorded, when not all went.
bool AppendAndFlush(const std::string& path, const std::string& bytes);

}  // namespace qs::posix
