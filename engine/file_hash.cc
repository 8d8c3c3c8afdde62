#include "engine/file_hash.h"

namespace qs {

bool FileHashReader::Hash(FileSystem& fs, const std::string& path, ContentHash* hash,
                          uint64_t* bytes, uint32_t* code) {
  *bytes = 0;
  *code = 0;
  const std::unique_ptr<FileReader> reader = fs.OpenForReading(path);
  if (!reader) return *code = fs.LastErrorCode(), false;
  ContentHasher hasher;
  for (;;) {
    const int64_t got = reader->Read(buffer_.data(), buffer_.size());
    if (got < 0) return *code = fs.LastErrorCode(), false;
    if (got == 0) break;
    hasher.Add(buffer_.data(), static_cast<size_t>(got));
    *bytes += static_cast<uint64_t>(got);
  }
  *hash = hasher.Result();
  return true;
}

}  // namespace qs
