// The files a scan finds, in the order a run handles them.
#pragma once

#include <string>
#include <vector>

#include "platform/file_system.h"

namespace qs {

/// One file found by the scan: its full path and its last-write time as the listing gave it.
struct ListedFile {
  std::string path;
  FileTime lastWrite;
};
using FileList = std::vector<ListedFile>;

}  // namespace qs
