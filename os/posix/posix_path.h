// Paths of any length on POSIX: a path longer than the system's limit is reached through
// descriptors of its leading directories, so every call can take a (directory, rest) pair.
#pragma once

#include <string>

namespace qs {

/// A path as a directory descriptor and a short path relative to it. For ordinary paths the
/// descriptor is the working directory's and the rest is the whole path.
class ResolvedPath {
 public:
  /// Check ok() afterwards; on failure errno tells why. `path` must outlive this object.
  explicit ResolvedPath(const std::string& path);
  ~ResolvedPath();
  ResolvedPath(const ResolvedPath&) = delete;
  ResolvedPath& operator=(const ResolvedPath&) = delete;

  bool ok() const { return ok_; }
  int dir() const { return dir_; }
  /// The path relative to dir(); the caller's own text for ordinary paths (no copy).
  const std::string& rest() const { return long_ ? rest_ : path_; }
  /// The parent of rest() relative to dir(): "." when rest() has no slash.
  std::string RestParent() const;

 private:
  const std::string& path_;
  int dir_;
  int owned_ = -1;
  bool long_ = false;
  std::string rest_;  ///< only for long paths
  bool ok_ = true;
};

}  // namespace qs
