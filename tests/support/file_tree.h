// Whole trees, for tests: every file below a folder, and a folder removed with everything in
// it, for paths of any length and names in any script.
#pragma once

#include <string>
#include <vector>

namespace qs {

/// Every file below `root` (links to folders are not entered), as paths relative to it with
/// '/' separators, sorted.
std::vector<std::string> ListFilesBelow(const std::string& root);

/// Removes `root` and everything below it, read-only files and folders without permissions
/// included, as far as the system lets it.
void RemoveTree(const std::string& root);

}  // namespace qs
