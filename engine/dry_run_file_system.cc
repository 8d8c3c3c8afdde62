// A pretended copy is flushed with its volume, so that a dry run takes the path of a batch:
// every step a real run would take, and none that writes. The folders it would make are
// remembered, so that what would be copied into them is not refused. Whether a real copy
// could read its source and write its folder is asked of the system without writing, so that
// the dry run fails what the real run fails, with the same code.
#include "engine/dry_run_file_system.h"

#include "engine/paths.h"

namespace qs {

namespace {

class PretendedCopy : public PendingCopy {
 public:
  uint64_t Volume() const override { return 0; }
  bool FlushedWithVolume() const override { return true; }
  bool Flush() override { return true; }
  bool Publish() override { return true; }
  bool PublishNew() override { return true; }
  uint32_t AttributesNotKept() const override { return 0; }
};

}  // namespace

bool DryRunFileSystem::IsFolder(const std::string& path) {
  if (path.empty()) return true;  // the root, or the folder the run started in
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (made_.count(path) != 0) return true;
  }
  return real_.Probe(path) == PathKind::Directory;
}

bool DryRunFileSystem::MayCreate(const std::string& path) {
  // A path without a separator lies in the working folder; one whose only separator leads
  // it, in the root.
  const std::string folder = !HasParent(path)           ? std::string(".")
                             : ParentPath(path).empty() ? std::string(1, kPathSeparator)
                                                        : ParentPath(path);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (made_.count(folder) != 0) return true;
  }
  return real_.CheckMayCreateIn(folder);
}

MakeDirResult DryRunFileSystem::MakeDirectory(const std::string& path) {
  if (IsFolder(path)) return MakeDirResult::AlreadyExists;
  const PathKind kind = real_.Probe(path);
  if (kind == PathKind::File || kind == PathKind::Other) return MakeDirResult::AlreadyExists;
  if (kind == PathKind::Unreadable) return MakeDirResult::Failed;
  if (HasParent(path) && !IsFolder(ParentPath(path))) {
    // Looked up again last, so that the code left is the one the real call would leave.
    real_.Probe(path);
    return MakeDirResult::Failed;
  }
  if (!MayCreate(path)) return MakeDirResult::Failed;
  std::lock_guard<std::mutex> lock(mutex_);
  made_.insert(path);
  return MakeDirResult::Created;
}

std::unique_ptr<PendingCopy> DryRunFileSystem::PrepareCopy(const std::string& from,
                                                           const std::string& to) {
  // In the real copy's order: the source is opened first, then the temporary file made.
  if (!real_.CheckCopySource(from)) return nullptr;
  if (HasParent(to) && !IsFolder(ParentPath(to))) {
    real_.Probe(to);  // for the code the real call would leave
    return nullptr;
  }
  if (!MayCreate(to)) return nullptr;
  return std::make_unique<PretendedCopy>();
}

}  // namespace qs
