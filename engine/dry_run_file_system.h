// The file system as a dry run sees it: every question goes to the real one, every change is
// only pretended, and nothing on the disk changes — no file, folder, time or probe.
#pragma once

#include <mutex>
#include <set>
#include <string>

#include "os/file_system.h"

namespace qs {

class DryRunFileSystem : public FileSystem {
 public:
  explicit DryRunFileSystem(FileSystem& real) : real_(real) {}

  PathInfo Stat(const std::string& path) override { return real_.Stat(path); }
  bool IdentifyDirectory(const std::string& path, DirectoryId* id) override {
    return real_.IdentifyDirectory(path, id);
  }
  bool ListDirectory(const std::string& path, DirListing* listing) override {
    return real_.ListDirectory(path, listing);
  }
  bool IsMountRoot(const std::string& path) override { return real_.IsMountRoot(path); }
  bool CheckCopyTarget(const std::string& to) override { return real_.CheckCopyTarget(to); }
  bool IsStoredUnderItsName(const std::string& path) override {
    return real_.IsStoredUnderItsName(path);
  }
  bool CheckCopySource(const std::string& from) override { return real_.CheckCopySource(from); }
  bool CheckMayCreateIn(const std::string& path) override { return real_.CheckMayCreateIn(path); }
  VolumeHint DescribeVolume(const std::string& path) override { return real_.DescribeVolume(path); }
  size_t PendingCopyLimit() override { return real_.PendingCopyLimit(); }
  uint32_t LastErrorCode() override { return real_.LastErrorCode(); }

  /// A folder that would be made counts as made from then on. It fails, with the system's
  /// code, where the real one would: below something that is no folder, or in a folder this
  /// process may not write.
  MakeDirResult MakeDirectory(const std::string& path) override;
  /// A copy that would be made: it succeeds, and writes nothing. It fails, with the system's
  /// code, where the real one would fail before reading: the source cannot be opened for
  /// reading, the target's folder is no folder, or this process may not write in it.
  std::unique_ptr<PendingCopy> PrepareCopy(const std::string& from, const std::string& to) override;
  bool SyncVolume(const std::string&) override { return true; }
  bool SyncDirectory(const std::string&) override { return true; }
  /// Refused: a probe that would write must learn from DescribeVolume instead.
  bool CreateEmptyFile(const std::string&) override { return false; }
  bool SetLastWriteTime(const std::string&, FileTime) override { return true; }
  bool RemoveFile(const std::string&) override { return true; }
  bool RemoveDirectory(const std::string&) override { return true; }
  bool Rename(const std::string&, const std::string&) override { return true; }
  bool WriteWholeFile(const std::string&, const std::string&) override { return true; }
  std::unique_ptr<FileReader> OpenForReading(const std::string& path) override {
    return real_.OpenForReading(path);
  }
  bool AppendToFile(const std::string&, const std::string&) override { return true; }

 private:
  /// A folder on the disk, or one this run would have made.
  bool IsFolder(const std::string& path);
  /// Whether `path` could be made in its folder (which is one): always in a folder this run
  /// would have made, else as the system's permissions say.
  bool MayCreate(const std::string& path);

  FileSystem& real_;
  std::mutex mutex_;
  std::set<std::string> made_;  ///< the folders pretended made
};

}  // namespace qs
