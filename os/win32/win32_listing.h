// Directory listings through FindFirstFileExW, with links looked through: a link is listed as
// what it leads to, or as a dangling link or a system junction.
#pragma once

#include <string>

#include "os/file_system.h"

namespace qs::win32 {

/// FileSystem::ListDirectory on Windows. A failure part-way through the listing fails the
/// whole listing: a folder listed in part would hide files in silence.
bool ListFolder(const std::string& path, DirListing* listing);

}  // namespace qs::win32
