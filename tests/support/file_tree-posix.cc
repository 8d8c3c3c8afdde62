// std::filesystem walks and removes trees of any depth on POSIX.
#include <algorithm>
#include <filesystem>

#include "tests/support/file_tree.h"

namespace fs = std::filesystem;

namespace qs {

std::vector<std::string> ListFilesBelow(const std::string& root) {
  std::vector<std::string> files;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(root, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (!it->is_directory()) files.push_back(fs::relative(it->path(), root).generic_string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

void RemoveTree(const std::string& root) {
  std::error_code error;
  // Tests may leave directories without permissions behind; give them back first.
  for (auto it = fs::recursive_directory_iterator(root, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
  }
  fs::remove_all(root, error);
}

}  // namespace qs
