// One pass over the folder's entries, names compared as bytes; asked only before a copy
// replaces an entry, so an unchanged file costs nothing.
#include "os/posix/posix_entry_name.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "os/file_system.h"
#include "os/posix/posix_volume_kind.h"

namespace qs::posix {

bool FolderListsExactName(int at, const std::string& folder, const std::string& name) {
  const int fd = openat(at, folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  if (KeepsCaseApart(fd)) {
    close(fd);
    return true;
  }
  DIR* dir = fdopendir(fd);
  if (dir == nullptr) {
    const int error = errno;
    close(fd);
    errno = error;
    return false;
  }
  bool found = false;
  errno = 0;
  while (const struct dirent* entry = readdir(dir)) {
    if (std::strcmp(entry->d_name, name.c_str()) == 0) {
      found = true;
      break;
    }
  }
  const int error = found ? 0 : errno != 0 ? errno : static_cast<int>(kErrorStoredUnderOtherName);
  closedir(dir);
  errno = error;
  return found;
}

}  // namespace qs::posix
