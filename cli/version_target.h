// The TARGET that --prune-versions, --versions and --restore read: a folder and its versions.
#pragma once

#include <string>
#include <vector>

#include "cli/runner_context.h"
#include "engine/version_store.h"

namespace qs {

struct VersionTarget {
  std::string folder;  ///< ending with a separator
  std::vector<StoredVersion> versions;
};

/// Reads `typed` as a TARGET. False, with the usage message in `why`, when it is no folder or,
/// with `need_versions`, holds no version folders.
bool OpenVersionTarget(const RunnerContext& context, const std::string& typed, bool need_versions,
                       VersionTarget* target, std::string* why);

/// A PATH as typed for --versions and --restore, below the roots: the native separator, no
/// separator at either end. False, with the usage message in `why`, for an absolute path.
bool ReadPathBelowRoots(const std::string& typed, std::string* relative, std::string* why);

/// The message for a TARGET without version folders.
std::string NoVersionsMessage(const std::string& typed);

}  // namespace qs
