// The log of ops behind the crash double. An op is issued by the call that made it (numbered
// from 1) and becomes durable at the flush that covers it: crash point N holds every op issued
// by the first N calls, the durable ones as they are and the pending ones as their fates say.
#include <algorithm>

#include "tests/support/crash_file_system.h"

namespace qs::test {

uint32_t CrashFileSystem::Enter(CrashCall call) {
  std::lock_guard<std::mutex> lock(mutex_);
  calls_.push_back(call);
  ++clock_millis_;
  const uint64_t count = ++calls_of_kind_[static_cast<size_t>(call)];
  for (auto failure = failures_.begin(); failure != failures_.end(); ++failure) {
    if (failure->call != call || failure->at != count) continue;
    const uint32_t code = failure->code;
    failures_.erase(failure);
    return code;
  }
  return 0;
}

void CrashFileSystem::FailNth(CrashCall call, uint64_t nth, uint32_t code) {
  std::lock_guard<std::mutex> lock(mutex_);
  failures_.push_back({call, calls_of_kind_[static_cast<size_t>(call)] + nth, code});
}

bool CrashFileSystem::IsStablePath(const std::string& path) const {
  const std::vector<std::string> parts = PathParts(path);
  return std::any_of(settings_.stableRoots.begin(), settings_.stableRoots.end(),
                     [&](const std::string& root) {
                       const std::vector<std::string> root_parts = PathParts(root);
                       return root_parts.size() <= parts.size() &&
                              std::equal(root_parts.begin(), root_parts.end(), parts.begin());
                     });
}

uint64_t CrashFileSystem::VolumeOf(uint64_t node) const {
  return live_.node(node).stable ? kStableVolume : kCrashVolume;
}

FileTime CrashFileSystem::Now() const {
  return MakeFileTime(kCrashClockStart + clock_millis_ / 1000, (clock_millis_ % 1000) * 1000000);
}

uint64_t CrashFileSystem::NewNode(bool directory, const std::string& path) {
  const uint64_t node = live_.AddNode(directory, IsStablePath(path), Now());
  fresh_.push_back(live_.node(node));
  return node;
}

void CrashFileSystem::Issue(CrashOp op, bool durable) {
  live_.Apply(op);
  const uint64_t owner = op.IsData() ? op.node : op.dir;
  const uint64_t now = calls_.size();
  const bool at_once = durable || (live_.node(owner).stable && (op.kind != CrashOp::Kind::kRename ||
                                                                live_.node(op.toDir).stable));
  ops_.push_back({std::move(op), now, at_once ? now : UINT64_MAX});
}

void CrashFileSystem::MakeDurable(const std::function<bool(const CrashOp&)>& pick) {
  const uint64_t now = calls_.size();
  for (LoggedOp& logged : ops_)
    if (logged.durable == UINT64_MAX && pick(logged.op)) logged.durable = now;
}

void CrashFileSystem::FlushNode(uint64_t node) {
  MakeDurable([node](const CrashOp& op) { return op.IsData() && op.node == node; });
}

uint64_t CrashFileSystem::PutFolders(const std::vector<std::string>& parts, size_t count) {
  uint64_t dir = kRootNode;
  std::string so_far;
  for (size_t i = 0; i < count; ++i) {
    so_far += kPathSeparator + parts[i];
    const auto entry = live_.node(dir).entries.find(parts[i]);
    if (entry != live_.node(dir).entries.end()) {
      dir = entry->second;
      continue;
    }
    const uint64_t made = NewNode(true, so_far);
    Issue({.kind = CrashOp::Kind::kLink, .node = made, .dir = dir, .name = parts[i]}, true);
    dir = made;
  }
  return dir;
}

void CrashFileSystem::PutFile(const std::string& path, const std::string& bytes, FileTime time) {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::vector<std::string> parts = PathParts(path);
  const uint64_t dir = PutFolders(parts, parts.size() - 1);
  const uint64_t node = NewNode(false, path);
  Issue({.kind = CrashOp::Kind::kWrite, .node = node, .bytes = bytes, .time = time}, true);
  Issue({.kind = CrashOp::Kind::kLink, .node = node, .dir = dir, .name = parts.back()}, true);
}

void CrashFileSystem::PutFolder(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::vector<std::string> parts = PathParts(path);
  PutFolders(parts, parts.size());
}

uint64_t CrashFileSystem::CallCount() {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_.size();
}

std::vector<CrashCall> CrashFileSystem::Calls() {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_;
}

CrashImage CrashFileSystem::Live() {
  std::lock_guard<std::mutex> lock(mutex_);
  return live_;
}

std::vector<bool> CrashFileSystem::PendingWritesAt(uint64_t point) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<bool> writes;
  for (const LoggedOp& logged : ops_)
    if (logged.issued <= point && logged.durable > point)
      writes.push_back(logged.op.kind == CrashOp::Kind::kWrite);
  return writes;
}

CrashImage CrashFileSystem::ImageAt(uint64_t point, const std::vector<Fate>& fates) {
  std::lock_guard<std::mutex> lock(mutex_);
  CrashImage image = base_;
  for (const CrashNode& node : fresh_) {
    const uint64_t id = image.AddNode(node.directory, node.stable, node.lastWrite);
    image.node(id) = node;
  }
  size_t pending = 0;
  for (const LoggedOp& logged : ops_) {
    if (logged.issued > point) break;
    if (logged.durable <= point) {
      image.Apply(logged.op);
      continue;
    }
    image.Apply(logged.op, pending < fates.size() ? fates[pending] : Fate::kDrop);
    ++pending;
  }
  return image;
}

std::unique_ptr<CrashFileSystem> CrashFileSystem::Reboot(const CrashImage& image) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::make_unique<CrashFileSystem>(settings_, image, clock_millis_);
}

}  // namespace qs::test
