// The content hash of a file as it is on the disk, read in pieces: a file of any size is hashed
// with one small buffer.
#pragma once

#include <cstdint>
#include <string>

#include "platform/content_hash.h"
#include "platform/file_system.h"

namespace qs {

/// How many bytes one read takes: large enough to stream at the disk's pace, small enough to
/// hold nothing of a large file.
inline constexpr size_t kHashReadBytes = size_t{1} << 20;

/// Reads the whole file at `path` through `fs`: its hash and how many bytes it held. False,
/// with the system's code in `*code`, when it could not be opened or read to its end.
bool HashFileContent(FileSystem& fs, const std::string& path, ContentHash* hash, uint64_t* bytes,
                     uint32_t* code);

}  // namespace qs
