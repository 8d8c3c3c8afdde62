// What a crash-simulating file system holds at one moment: nodes (files and folders, each with
// its bytes, last-write time and entries) and the operations that change them. The same image
// type is the volatile state a run sees and each state a crash can leave on the disk.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "os/file_system.h"

namespace qs::test {

inline constexpr uint64_t kNoNode = UINT64_MAX;
/// The root folder that every absolute path starts from.
inline constexpr uint64_t kRootNode = 0;

struct CrashNode {
  bool directory = false;
  /// On the volume that never crashes (the sources'): every change is durable at once.
  bool stable = false;
  std::string data;
  FileTime lastWrite;
  std::map<std::string, uint64_t> entries;  ///< a folder's names, sorted
};

/// One change a call makes, kept until a flush makes it durable. Nodes are named by number,
/// resolved when the call is made, as a disk's journal records them.
struct CrashOp {
  enum class Kind : uint8_t {
    kWrite,    ///< `bytes` into `node` at `offset`; the last-write time becomes `time`
    kSetTime,  ///< `node`'s last-write time becomes `time`
    kLink,     ///< `dir`'s entry `name` names `node`, replacing whatever it named
    kUnlink,   ///< `dir`'s entry `name` goes, if it still names `node`
    kRename,   ///< `dir`'s entry `name` for `node` moves to `toDir` as `toName`
  };
  Kind kind = Kind::kWrite;
  uint64_t node = kNoNode;
  uint64_t dir = kNoNode;
  std::string name = {};
  uint64_t toDir = kNoNode;
  std::string toName = {};
  uint64_t offset = 0;
  std::string bytes = {};
  FileTime time = {};

  bool IsData() const { return kind == Kind::kWrite || kind == Kind::kSetTime; }
  /// True when the op changes the entries of folder `folder`.
  bool TouchesFolder(uint64_t folder) const {
    return !IsData() && (dir == folder || (kind == Kind::kRename && toDir == folder));
  }
};

/// How a pending op fares in a crash state.
enum class Fate : uint8_t {
  kDrop,
  kKeep,
  kTornPrefix,  ///< a write of which only the first half of the bytes reached the disk
  kTornZeros,   ///< a write whose length reached the disk, its bytes zeros
};

/// The names of a path: separators split it; empty parts and a drive ("C:") are left out.
std::vector<std::string> PathParts(const std::string& path);

class CrashImage {
 public:
  CrashImage();

  /// The node at `path`, or kNoNode when it or a folder on its way is missing.
  uint64_t Resolve(const std::string& path) const;
  /// The folder that holds (or would hold) the last name of `path`, that name in `*name`;
  /// kNoNode when that folder does not exist or is not a folder.
  uint64_t ResolveParent(const std::string& path, std::string* name) const;
  uint64_t AddNode(bool directory, bool stable, FileTime time);
  void Apply(const CrashOp& op, Fate fate = Fate::kKeep);

  const CrashNode& node(uint64_t id) const { return nodes_[id]; }
  CrashNode& node(uint64_t id) { return nodes_[id]; }

  /// Every file below the folder at `root`, by path relative to it ('/' between names), with
  /// the folder names in `*folders` when given. Empty when `root` is not a folder.
  std::map<std::string, const CrashNode*> Files(const std::string& root,
                                                std::vector<std::string>* folders = nullptr) const;

 private:
  void Collect(uint64_t dir, const std::string& prefix,
               std::map<std::string, const CrashNode*>* files,
               std::vector<std::string>* folders) const;

  std::vector<CrashNode> nodes_;
};

}  // namespace qs::test
