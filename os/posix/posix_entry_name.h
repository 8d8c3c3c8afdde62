// Whether a folder keeps an entry under exactly the name asked for. A volume that ignores case
// finds "notes.txt" where only "Notes.txt" is: only the folder's own listing tells them apart.
#pragma once

#include <string>

namespace qs::posix {

/// True when the folder `folder` (relative to the directory descriptor `at`) lists an entry
/// spelt exactly `name`, byte for byte, or when its volume always tells names apart by case
/// (nothing is read then). False with errno kErrorStoredUnderOtherName when it lists none,
/// or with the system's errno when it cannot be read.
bool FolderListsExactName(int at, const std::string& folder, const std::string& name);

}  // namespace qs::posix
