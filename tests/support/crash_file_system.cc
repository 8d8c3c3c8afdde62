// The seam's calls over the live image. Each call is counted first (a crash point lies before
// it), may be failed on request, then issues its ops. Error codes are POSIX's numbers, which
// the C++ library gives on every system.
#include "tests/support/crash_file_system.h"

#include <algorithm>
#include <cerrno>

namespace qs::test {

namespace {

thread_local uint32_t last_error = 0;

bool Fail(uint32_t code) {
  last_error = code;
  return false;
}

struct CallInfo {
  const char* name;
  bool durability;
};

constexpr CallInfo kCalls[] = {
    {"Stat", false},
    {"IdentifyDirectory", false},
    {"ListDirectory", false},
    {"MakeDirectory", false},
    {"PrepareCopy", false},
    {"Flush", true},
    {"Publish", false},
    {"CheckCopyTarget", false},
    {"SyncVolume", true},
    {"SyncDirectory", true},
    {"DescribeVolume", false},
    {"CreateEmptyFile", false},
    {"SetLastWriteTime", false},
    {"RemoveFile", false},
    {"RemoveDirectory", false},
    {"Rename", false},
    {"WriteWholeFile", true},
    {"AppendToFile", false},
};
static_assert(sizeof(kCalls) / sizeof(kCalls[0]) == static_cast<size_t>(CrashCall::kCount));

}  // namespace

const char* CrashCallName(CrashCall call) { return kCalls[static_cast<size_t>(call)].name; }
bool IsDurabilityCall(CrashCall call) { return kCalls[static_cast<size_t>(call)].durability; }

/// A copy's node, written and timed, that no name leads to until it is published.
class CrashFileSystem::Copy : public PendingCopy {
 public:
  Copy(CrashFileSystem& fs, uint64_t node, std::string to, uint64_t volume, CopiedContent content)
      : fs_(fs), node_(node), to_(std::move(to)), volume_(volume), content_(content) {}
  uint64_t Volume() const override { return volume_; }
  bool FlushedWithVolume() const override { return fs_.settings_.wholeVolumeFlush; }
  bool Flush() override { return fs_.FlushCopy(node_); }
  bool Publish() override { return fs_.PublishCopy(node_, to_, true); }
  bool PublishNew() override { return fs_.PublishCopy(node_, to_, false); }
  uint32_t AttributesNotKept() const override { return 0; }
  CopiedContent Content() const override { return content_; }

 private:
  CrashFileSystem& fs_;
  const uint64_t node_;
  const std::string to_;
  const uint64_t volume_;
  const CopiedContent content_;
};

CrashFileSystem::CrashFileSystem(CrashSettings settings, CrashImage durable, int64_t clock_millis)
    : settings_(std::move(settings)),
      base_(std::move(durable)),
      live_(base_),
      clock_millis_(clock_millis),
      calls_of_kind_(static_cast<size_t>(CrashCall::kCount), 0) {}

CrashFileSystem::~CrashFileSystem() = default;

PathInfo CrashFileSystem::Stat(const std::string& path) {
  if (const uint32_t code = Enter(CrashCall::kStat)) {
    Fail(code);
    return {PathKind::Unreadable, {}, 0, 0, {}};
  }
  std::lock_guard<std::mutex> lock(mutex_);
  const uint64_t node = live_.Resolve(path);
  if (node == kNoNode) return Fail(ENOENT), PathInfo{};
  return InfoOf(node);
}

PathInfo CrashFileSystem::InfoOf(uint64_t node) const {
  const CrashNode& at = live_.node(node);
  return {at.directory ? PathKind::Directory : PathKind::File,
          at.lastWrite,
          at.data.size(),
          VolumeOf(node),
          {}};
}

bool CrashFileSystem::IdentifyDirectory(const std::string& path, DirectoryId* id) {
  if (const uint32_t code = Enter(CrashCall::kIdentifyDirectory)) return Fail(code);
  std::lock_guard<std::mutex> lock(mutex_);
  const uint64_t node = live_.Resolve(path);
  if (node == kNoNode) return Fail(ENOENT);
  if (!live_.node(node).directory) return Fail(ENOTDIR);
  *id = {VolumeOf(node), node};
  return true;
}

bool CrashFileSystem::ListDirectory(const std::string& path, DirListing* listing) {
  listing->entries.clear();
  if (const uint32_t code = Enter(CrashCall::kListDirectory)) return Fail(code);
  std::lock_guard<std::mutex> lock(mutex_);
  const uint64_t node = live_.Resolve(path);
  if (node == kNoNode) return Fail(ENOENT);
  if (!live_.node(node).directory) return Fail(ENOTDIR);
  listing->id = {VolumeOf(node), node};
  for (const auto& [name, id] : live_.node(node).entries) {
    const CrashNode& entry = live_.node(id);
    DirEntry listed;
    listed.name = name;
    listed.kind = entry.directory ? EntryKind::Directory : EntryKind::File;
    listed.lastWrite = entry.lastWrite;
    listed.size = entry.data.size();
    listing->entries.push_back(std::move(listed));
  }
  return true;
}

MakeDirResult CrashFileSystem::MakeDirectory(const std::string& path) {
  if (const uint32_t code = Enter(CrashCall::kMakeDirectory)) {
    Fail(code);
    return MakeDirResult::Failed;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  std::string name;
  const uint64_t dir = live_.ResolveParent(path, &name);
  if (dir == kNoNode) return Fail(ENOENT), MakeDirResult::Failed;
  if (live_.node(dir).entries.count(name) != 0) return Fail(EEXIST), MakeDirResult::AlreadyExists;
  const uint64_t node = NewNode(true, path);
  Issue({.kind = CrashOp::Kind::kLink, .node = node, .dir = dir, .name = name});
  return MakeDirResult::Created;
}

std::unique_ptr<PendingCopy> CrashFileSystem::PrepareCopy(const std::string& from,
                                                          const std::string& to) {
  if (const uint32_t code = Enter(CrashCall::kPrepareCopy)) return Fail(code), nullptr;
  std::lock_guard<std::mutex> lock(mutex_);
  const uint64_t source = live_.Resolve(from);
  if (source == kNoNode) return Fail(ENOENT), nullptr;
  if (live_.node(source).directory) return Fail(EISDIR), nullptr;
  std::string name;
  if (live_.ResolveParent(to, &name) == kNoNode) return Fail(ENOENT), nullptr;
  const uint64_t node = NewNode(false, to);
  const CrashNode& read = live_.node(source);
  const std::string bytes = read.data;
  const FileTime time = read.lastWrite;
  Issue({.kind = CrashOp::Kind::kWrite, .node = node, .bytes = bytes, .time = Now()});
  Issue({.kind = CrashOp::Kind::kSetTime, .node = node, .time = time});
  const CopiedContent content{true, bytes.size(), time, true, HashOf(bytes)};
  return std::make_unique<Copy>(*this, node, to, VolumeOf(node), content);
}

bool CrashFileSystem::FlushCopy(uint64_t node) {
  if (const uint32_t code = Enter(CrashCall::kFlush)) return Fail(code);
  std::lock_guard<std::mutex> lock(mutex_);
  FlushNode(node);
  return true;
}

bool CrashFileSystem::PublishCopy(uint64_t node, const std::string& to, bool replacing) {
  if (const uint32_t code = Enter(CrashCall::kPublish)) return Fail(code);
  std::lock_guard<std::mutex> lock(mutex_);
  std::string name;
  const uint64_t dir = live_.ResolveParent(to, &name);
  if (dir == kNoNode) return Fail(ENOENT);
  const auto there = live_.node(dir).entries.find(name);
  if (there != live_.node(dir).entries.end() && live_.node(there->second).directory)
    return Fail(EISDIR);
  if (there != live_.node(dir).entries.end() && !replacing) return Fail(EEXIST);
  Issue({.kind = CrashOp::Kind::kLink, .node = node, .dir = dir, .name = name});
  return true;
}

bool CrashFileSystem::CheckCopyTarget(const std::string& to) {
  if (const uint32_t code = Enter(CrashCall::kCheckCopyTarget)) return Fail(code);
  std::lock_guard<std::mutex> lock(mutex_);
  const uint64_t node = live_.Resolve(to);
  return node == kNoNode || !live_.node(node).directory || Fail(EISDIR);
}

bool CrashFileSystem::SyncVolume(const std::string& path) {
  if (const uint32_t code = Enter(CrashCall::kSyncVolume)) return Fail(code);
  std::lock_guard<std::mutex> lock(mutex_);
  const uint64_t node = live_.Resolve(path);
  if (node == kNoNode) return Fail(ENOENT);
  if (!settings_.wholeVolumeFlush) return Fail(EOPNOTSUPP);
  MakeDurable([](const CrashOp&) { return true; });
  return true;
}

bool CrashFileSystem::SyncDirectory(const std::string& path) {
  if (const uint32_t code = Enter(CrashCall::kSyncDirectory)) return Fail(code);
  std::lock_guard<std::mutex> lock(mutex_);
  const uint64_t node = live_.Resolve(path);
  if (node == kNoNode) return Fail(ENOENT);
  // A file given here is flushed as a file, as fsync does.
  if (!live_.node(node).directory) return FlushNode(node), true;
  MakeDurable([node](const CrashOp& op) { return op.TouchesFolder(node); });
  return true;
}

VolumeHint CrashFileSystem::DescribeVolume(const std::string& path) {
  if (Enter(CrashCall::kDescribeVolume) != 0) return {};
  (void)path;
  return {1, 0};
}

bool CrashFileSystem::CreateEmptyFile(const std::string& path) {
  if (const uint32_t code = Enter(CrashCall::kCreateEmptyFile)) return Fail(code);
  std::lock_guard<std::mutex> lock(mutex_);
  std::string name;
  const uint64_t dir = live_.ResolveParent(path, &name);
  if (dir == kNoNode) return Fail(ENOENT);
  if (live_.node(dir).entries.count(name) != 0) return Fail(EEXIST);
  Issue({.kind = CrashOp::Kind::kLink, .node = NewNode(false, path), .dir = dir, .name = name});
  return true;
}

bool CrashFileSystem::SetLastWriteTime(const std::string& path, FileTime time) {
  if (const uint32_t code = Enter(CrashCall::kSetLastWriteTime)) return Fail(code);
  std::lock_guard<std::mutex> lock(mutex_);
  const uint64_t node = live_.Resolve(path);
  if (node == kNoNode) return Fail(ENOENT);
  Issue({.kind = CrashOp::Kind::kSetTime, .node = node, .time = time});
  return true;
}

bool CrashFileSystem::RemoveFile(const std::string& path) {
  if (const uint32_t code = Enter(CrashCall::kRemoveFile)) return Fail(code);
  std::lock_guard<std::mutex> lock(mutex_);
  std::string name;
  const uint64_t dir = live_.ResolveParent(path, &name);
  const uint64_t node = live_.Resolve(path);
  if (dir == kNoNode || node == kNoNode) return Fail(ENOENT);
  if (live_.node(node).directory) return Fail(EISDIR);
  Issue({.kind = CrashOp::Kind::kUnlink, .node = node, .dir = dir, .name = name});
  return true;
}

bool CrashFileSystem::RemoveDirectory(const std::string& path) {
  if (const uint32_t code = Enter(CrashCall::kRemoveDirectory)) return Fail(code);
  std::lock_guard<std::mutex> lock(mutex_);
  std::string name;
  const uint64_t dir = live_.ResolveParent(path, &name);
  const uint64_t node = live_.Resolve(path);
  if (dir == kNoNode || node == kNoNode) return Fail(ENOENT);
  if (!live_.node(node).directory) return Fail(ENOTDIR);
  if (!live_.node(node).entries.empty()) return Fail(ENOTEMPTY);
  Issue({.kind = CrashOp::Kind::kUnlink, .node = node, .dir = dir, .name = name});
  return true;
}

bool CrashFileSystem::Rename(const std::string& from, const std::string& to) {
  if (const uint32_t code = Enter(CrashCall::kRename)) return Fail(code);
  std::lock_guard<std::mutex> lock(mutex_);
  std::string name, to_name;
  const uint64_t dir = live_.ResolveParent(from, &name);
  const uint64_t node = live_.Resolve(from);
  const uint64_t to_dir = live_.ResolveParent(to, &to_name);
  if (dir == kNoNode || node == kNoNode || to_dir == kNoNode) return Fail(ENOENT);
  if (live_.node(to_dir).entries.count(to_name) != 0) return Fail(EEXIST);
  if (VolumeOf(dir) != VolumeOf(to_dir)) return Fail(EXDEV);
  Issue({.kind = CrashOp::Kind::kRename,
         .node = node,
         .dir = dir,
         .name = name,
         .toDir = to_dir,
         .toName = to_name});
  return true;
}

bool CrashFileSystem::WriteWholeFile(const std::string& path, const std::string& content) {
  if (const uint32_t code = Enter(CrashCall::kWriteWholeFile)) return Fail(code);
  std::lock_guard<std::mutex> lock(mutex_);
  std::string name;
  const uint64_t dir = live_.ResolveParent(path, &name);
  if (dir == kNoNode) return Fail(ENOENT);
  const uint64_t there = live_.Resolve(path);
  if (there != kNoNode && live_.node(there).directory) return Fail(EISDIR);
  // Written into a fresh node and flushed, then put in place in one step.
  const uint64_t node = NewNode(false, path);
  Issue({.kind = CrashOp::Kind::kWrite, .node = node, .bytes = content, .time = Now()});
  FlushNode(node);
  Issue({.kind = CrashOp::Kind::kLink, .node = node, .dir = dir, .name = name});
  return true;
}

// The checks and reads below change nothing on the disk, so they are no crash points.
bool CrashFileSystem::IsMountRoot(const std::string&) { return false; }

bool CrashFileSystem::IsStoredUnderItsName(const std::string&) { return true; }

bool CrashFileSystem::CheckCopySource(const std::string& from) {
  std::lock_guard<std::mutex> lock(mutex_);
  const uint64_t node = live_.Resolve(from);
  if (node == kNoNode) return Fail(ENOENT);
  return !live_.node(node).directory || Fail(EISDIR);
}

bool CrashFileSystem::CheckMayCreateIn(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  const uint64_t node = live_.Resolve(path);
  if (node == kNoNode) return Fail(ENOENT);
  return live_.node(node).directory || Fail(ENOTDIR);
}

namespace {

/// The bytes a file held when it was opened.
class BytesReader : public FileReader {
 public:
  explicit BytesReader(std::string bytes) : bytes_(std::move(bytes)) {}
  int64_t Read(char* buffer, size_t size) override {
    const size_t count = std::min(size, bytes_.size() - at_);
    std::copy_n(bytes_.data() + at_, count, buffer);
    at_ += count;
    return static_cast<int64_t>(count);
  }

 private:
  const std::string bytes_;
  size_t at_ = 0;
};

}  // namespace

std::unique_ptr<FileReader> CrashFileSystem::OpenForReading(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  const uint64_t node = live_.Resolve(path);
  if (node == kNoNode) return Fail(ENOENT), nullptr;
  if (live_.node(node).directory) return Fail(EISDIR), nullptr;
  return std::make_unique<BytesReader>(live_.node(node).data);
}

bool CrashFileSystem::AppendToFile(const std::string& path, const std::string& bytes) {
  if (const uint32_t code = Enter(CrashCall::kAppendToFile)) return Fail(code);
  uint64_t node = kNoNode;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string name;
    const uint64_t dir = live_.ResolveParent(path, &name);
    if (dir == kNoNode) return Fail(ENOENT);
    node = live_.Resolve(path);
    if (node != kNoNode && live_.node(node).directory) return Fail(EISDIR);
    const bool made = node == kNoNode;
    if (made) node = NewNode(false, path);
    // Only the bytes appended are written: a torn append can damage nothing before them.
    Issue({.kind = CrashOp::Kind::kWrite,
           .node = node,
           .offset = live_.node(node).data.size(),
           .bytes = bytes,
           .time = Now()});
    // A new file's name waits for its folder's flush.
    if (made) Issue({.kind = CrashOp::Kind::kLink, .node = node, .dir = dir, .name = name});
  }
  if (const uint32_t code = Enter(CrashCall::kFlush)) return Fail(code);
  std::lock_guard<std::mutex> lock(mutex_);
  FlushNode(node);
  return true;
}

uint32_t CrashFileSystem::LastErrorCode() { return last_error; }

}  // namespace qs::test
