#include "engine/file_hash.h"

#include <vector>

namespace qs {

bool HashFileContent(FileSystem& fs, const std::string& path, ContentHash* hash, uint64_t* bytes,
                     uint32_t* code) {
  *bytes = 0;
  *code = 0;
  const std::unique_ptr<FileReader> reader = fs.OpenForReading(path);
  if (!reader) return *code = fs.LastErrorCode(), false;
  ContentHasher hasher;
  std::vector<char> buffer(kHashReadBytes);
  for (;;) {
    const int64_t got = reader->Read(buffer.data(), buffer.size());
    if (got < 0) return *code = fs.LastErrorCode(), false;
    if (got == 0) break;
    hasher.Add(buffer.data(), static_cast<size_t>(got));
    *bytes += static_cast<uint64_t>(got);
  }
  *hash = hasher.Result();
  return true;
}

}  // namespace qs
