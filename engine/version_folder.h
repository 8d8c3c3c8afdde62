// The version folder of one run: made once, by whichever file thread first needs a copy,
// and reported in list order by the run's thread.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

namespace qs {

class VersionFolder {
 public:
  /// `make` makes the folder at the path it is given, or fails with the error code in its
  /// second argument; `name` gives the folder's path at the moment it is made.
  VersionFolder(std::function<std::string()> name,
                std::function<bool(const std::string&, uint32_t*)> make)
      : name_(std::move(name)), make_(std::move(make)) {}

  /// Makes the folder on the first call; true when it exists. Safe on several threads.
  bool Ensure();
  bool Attempted();
  /// The folder's path; empty before the first Ensure.
  std::string Path();
  /// The error code of a failed attempt.
  uint32_t ErrorCode();

 private:
  const std::function<std::string()> name_;
  const std::function<bool(const std::string&, uint32_t*)> make_;
  std::mutex mutex_;
  bool attempted_ = false;
  std::string path_;
  bool made_ = false;
  uint32_t error_ = 0;
};

}  // namespace qs
