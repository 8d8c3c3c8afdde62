// A prune's fact in the record: the version folders whose copies are gone, so that the record
// never names a copy the target no longer keeps.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/record_store.h"
#include "os/file_system.h"

namespace qs {

enum class PruneKept : uint8_t {
  kKept,      ///< on the disk
  kNoRecord,  ///< the target keeps no record of ours: nothing to keep true
  kFailed,    ///< the fact could not be kept: `*code` says why
};

/// Appends, durably, that the version folders named `folders` keep no copy any more (nothing
/// for none). Called once they are renamed aside (a folder being removed holds no kept copy)
/// and before their files go: a prune cut short at any moment leaves a record that names no
/// lost copy.
PruneKept KeepPruneInRecord(FileSystem& fs, RecordStore& store, int64_t ticks,
                            const std::vector<std::string>& folders, uint32_t* code);

}  // namespace qs
