// A file held open the way another program may hold it, for Windows tests: while held it can
// be neither replaced nor deleted.
#pragma once

#include <cstdint>
#include <string>

namespace qs {

class FileHold {
 public:
  /// Opens `path` for reading, sharing reads only. Check ok().
  explicit FileHold(const std::string& path);
  ~FileHold();
  FileHold(const FileHold&) = delete;
  FileHold& operator=(const FileHold&) = delete;
  bool ok() const;

 private:
  uintptr_t handle_;
};

}  // namespace qs
