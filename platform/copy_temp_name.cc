// Temporary copy names: distinctive enough that a scan can leave them out without
// touching ordinary files, short enough to fit beside a 255-byte name.
#include "platform/copy_temp_name.h"

#include <random>

#include "platform/file_system.h"  // IsCopyTempName

namespace qs {

namespace {

constexpr char kPrefix[] = ".qs-tmp-";
constexpr size_t kPrefixLength = sizeof kPrefix - 1;
constexpr size_t kRandomLength = 10;
constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";

bool IsNameChar(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

}  // namespace

std::string NewCopyTempName() {
  thread_local std::mt19937_64 generator{std::random_device{}()};
  std::string name = kPrefix;
  for (size_t i = 0; i < kRandomLength; ++i)
    name += kAlphabet[generator() % (sizeof kAlphabet - 1)];
  return name;
}

bool IsCopyTempName(const std::string& name) {
  if (name.size() != kPrefixLength + kRandomLength || name.compare(0, kPrefixLength, kPrefix) != 0)
    return false;
  for (size_t i = kPrefixLength; i < name.size(); ++i)
    if (!IsNameChar(name[i])) return false;
  return true;
}

}  // namespace qs
