// Nodes are never freed: a node no name leads to any more is garbage a crash may bring back
// into view only through an op that links it, exactly as an orphaned inode on a disk.
#include "tests/support/crash_image.h"

#include <algorithm>

namespace qs::test {

std::vector<std::string> PathParts(const std::string& path) {
  std::vector<std::string> parts;
  size_t at = 0;
  while (at <= path.size()) {
    size_t end = path.find(kPathSeparator, at);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(at, end - at);
    const bool drive = parts.empty() && at == 0 && part.size() == 2 && part[1] == ':';
    if (!part.empty() && part != "." && !drive) parts.push_back(std::move(part));
    at = end + 1;
  }
  return parts;
}

CrashImage::CrashImage() { AddNode(true, false, {}); }

uint64_t CrashImage::Resolve(const std::string& path) const {
  uint64_t at = kRootNode;
  for (const std::string& part : PathParts(path)) {
    const CrashNode& dir = nodes_[at];
    if (!dir.directory) return kNoNode;
    const auto entry = dir.entries.find(part);
    if (entry == dir.entries.end()) return kNoNode;
    at = entry->second;
  }
  return at;
}

uint64_t CrashImage::ResolveParent(const std::string& path, std::string* name) const {
  std::vector<std::string> parts = PathParts(path);
  if (parts.empty()) return kNoNode;
  *name = parts.back();
  uint64_t at = kRootNode;
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    const CrashNode& dir = nodes_[at];
    const auto entry = dir.entries.find(parts[i]);
    if (!dir.directory || entry == dir.entries.end()) return kNoNode;
    at = entry->second;
  }
  return nodes_[at].directory ? at : kNoNode;
}

uint64_t CrashImage::AddNode(bool directory, bool stable, FileTime time) {
  CrashNode node;
  node.directory = directory;
  node.stable = stable;
  node.lastWrite = time;
  nodes_.push_back(std::move(node));
  return nodes_.size() - 1;
}

void CrashImage::Apply(const CrashOp& op, Fate fate) {
  if (fate == Fate::kDrop) return;
  switch (op.kind) {
    case CrashOp::Kind::kWrite: {
      CrashNode& file = nodes_[op.node];
      std::string bytes = op.bytes;
      if (fate == Fate::kTornPrefix) bytes.resize(bytes.size() / 2);
      if (fate == Fate::kTornZeros) bytes.assign(bytes.size(), '\0');
      const size_t end = static_cast<size_t>(op.offset) + bytes.size();
      if (file.data.size() < end) file.data.resize(end);
      std::copy(bytes.begin(), bytes.end(), file.data.begin() + static_cast<ptrdiff_t>(op.offset));
      file.lastWrite = op.time;
      return;
    }
    case CrashOp::Kind::kSetTime:
      nodes_[op.node].lastWrite = op.time;
      return;
    case CrashOp::Kind::kLink:
      nodes_[op.dir].entries[op.name] = op.node;
      return;
    case CrashOp::Kind::kUnlink:
    case CrashOp::Kind::kRename: {
      auto& entries = nodes_[op.dir].entries;
      const auto entry = entries.find(op.name);
      if (entry != entries.end() && entry->second == op.node) entries.erase(entry);
      if (op.kind == CrashOp::Kind::kRename) nodes_[op.toDir].entries[op.toName] = op.node;
      return;
    }
  }
}

std::map<std::string, const CrashNode*> CrashImage::Files(const std::string& root,
                                                          std::vector<std::string>* folders) const {
  std::map<std::string, const CrashNode*> files;
  const uint64_t at = Resolve(root);
  if (at != kNoNode && nodes_[at].directory) Collect(at, "", &files, folders);
  return files;
}

void CrashImage::Collect(uint64_t dir, const std::string& prefix,
                         std::map<std::string, const CrashNode*>* files,
                         std::vector<std::string>* folders) const {
  for (const auto& [name, id] : nodes_[dir].entries) {
    const CrashNode& entry = nodes_[id];
    if (!entry.directory) {
      (*files)[prefix + name] = &entry;
      continue;
    }
    if (folders != nullptr) folders->push_back(prefix + name);
    // A folder linked below itself by a crash state is walked once.
    if (prefix.size() < 4096) Collect(id, prefix + name + "/", files, folders);
  }
}

}  // namespace qs::test
