// Temporary copy names: distinctive enough that a person who finds one left by a killed copy
// knows what it is, short enough to fit beside a 255-byte name.
#include "os/copy_temp_name.h"

#include <random>

namespace qs {

namespace {

constexpr char kPrefix[] = ".qs-tmp-";
constexpr size_t kRandomLength = 10;
constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";

}  // namespace

std::string NewCopyTempName() {
  thread_local std::mt19937_64 generator{std::random_device{}()};
  std::string name = kPrefix;
  for (size_t i = 0; i < kRandomLength; ++i)
    name += kAlphabet[generator() % (sizeof kAlphabet - 1)];
  return name;
}

}  // namespace qs
