// Only kinds whose behaviour is known are named; for any other the hint says nothing, and the
// caller falls back to a rule that holds on every volume.
#include "os/posix/posix_volume_kind.h"

#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <string>

namespace qs::posix {

namespace {

constexpr int64_t kExact = 1;
constexpr int64_t kFat = 2000000000;
constexpr int64_t kExFat = 10000000;
constexpr int64_t kNtfs = 100;

/// The file-system type the mount table gives the mount of `device` ("fuse.fusefat"...).
std::string MountType(dev_t device) {
  std::ifstream mounts("/proc/self/mountinfo");
  const std::string wanted = std::to_string(major(device)) + ":" + std::to_string(minor(device));
  for (std::string line; std::getline(mounts, line);) {
    std::istringstream fields(line);
    std::string id, parent, numbers;
    fields >> id >> parent >> numbers;
    if (numbers != wanted) continue;
    const size_t dash = line.find(" - ");
    if (dash == std::string::npos) return "";
    std::istringstream rest(line.substr(dash + 3));
    std::string type;
    rest >> type;
    return type;
  }
  return "";
}

}  // namespace

VolumeHint HintForVolume(unsigned long type, dev_t device) {
  switch (type) {
    case 0xEF53:      // ext2, ext3, ext4
    case 0x58465342:  // XFS
    case 0x9123683E:  // btrfs
    case 0xF2F52010:  // F2FS
    case 0x01021994:  // tmpfs
      return {kExact, 0};
    case 0x4D44:  // FAT
      return {kFat, 1};
    case 0x2011BAB0:  // exFAT
      return {kExFat, 1};
    case 0x5346544E:  // NTFS
    case 0x7366746E:  // ntfs3
      return {kNtfs, 1};
    case 0x65735546:  // FUSE: the program behind it says what it is
      return MountType(device) == "fuse.fusefat" ? VolumeHint{kFat, 1} : VolumeHint{};
    default:
      return {};
  }
}

bool KeepsCaseApart(int dir_fd) {
  struct statfs fs;
  if (fstatfs(dir_fd, &fs) != 0) return false;
  switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x58465342:  // XFS (its ASCII-only case-insensitive format is long deprecated)
    case 0x9123683E:  // btrfs
      return true;
    case 0xEF53:  // ext4, F2FS and tmpfs fold case in the directories marked for it
    case 0xF2F52010:
    case 0x01021994: {
      int flags = 0;  // an int, whatever the request's declared type says
      if (ioctl(dir_fd, FS_IOC_GETFLAGS, &flags) != 0 && errno != ENOTTY) return false;
      return (flags & FS_CASEFOLD_FL) == 0;
    }
    default:
      return false;
  }
}

}  // namespace qs::posix
