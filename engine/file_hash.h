// The content hash of a file as it is on the disk, read in pieces: a file of any size is hashed
// with one small buffer, kept from file to file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "os/content_hash.h"
#include "os/file_system.h"

namespace qs {

/// How many bytes one read takes: enough to stream at the disk's pace, and few enough to stay
/// in the processor's cache while they are hashed.
inline constexpr size_t kHashReadBytes = size_t{256} << 10;

class FileHashReader {
 public:
  FileHashReader() : buffer_(kHashReadBytes) {}

  /// Reads the whole file at `path` through `fs`: its hash and how many bytes it held. False,
  /// with the system's code in `*code`, when it could not be opened or read to its end.
  bool Hash(FileSystem& fs, const std::string& path, ContentHash* hash, uint64_t* bytes,
            uint32_t* code);

 private:
  std::vector<char> buffer_;
};

}  // namespace qs
