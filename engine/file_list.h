// The files a scan finds, in the order a run handles them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "os/file_system.h"

namespace qs {

/// One file found by the scan: its full path, and its last-write time and size as the listing
/// gave them.
struct ListedFile {
  std::string path;
  FileTime lastWrite;
  uint64_t size = 0;  ///< 0 unless the listing gave it or the scan measured it
};
using FileList = std::vector<ListedFile>;

}  // namespace qs
