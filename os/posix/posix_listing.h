// What a folder holds, and whether a path is where a file system is mounted.
#pragma once

#include <sys/stat.h>

#include <string>

#include "os/file_system.h"

namespace qs::posix {

DirectoryId IdOf(const struct stat& st);
/// The folder's entries, links followed; false with the error (and no entries) when it could
/// not be listed whole.
bool ListDirectory(const std::string& path, DirListing* listing);
bool IsMountRoot(const std::string& path);

}  // namespace qs::posix
