// On POSIX the defaults are the user's Documents and a Backup folder beside it.
#include "os/default_dirs.h"

#include <cstdlib>

namespace qs {

namespace {

std::string Home() {
  const char* home = std::getenv("HOME");
  return home != nullptr ? home : "";
}

}  // namespace

std::string DefaultSourceDir() { return Home() + "/Documents"; }
std::string DefaultTargetDir() { return Home() + "/Backup"; }

}  // namespace qs
