// Guarded by one mutex: the first caller makes the folder while later callers wait, so no
// old version is copied into a folder that does not exist yet.
#include "engine/version_folder.h"

namespace qs {

bool VersionFolder::Ensure() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!attempted_) {
    attempted_ = true;
    path_ = name_();
    made_ = make_(path_, &error_);
  }
  return made_;
}

bool VersionFolder::Attempted() {
  std::lock_guard<std::mutex> lock(mutex_);
  return attempted_;
}

std::string VersionFolder::Path() {
  std::lock_guard<std::mutex> lock(mutex_);
  return path_;
}

uint32_t VersionFolder::ErrorCode() {
  std::lock_guard<std::mutex> lock(mutex_);
  return error_;
}

}  // namespace qs
