#include "engine/prune_record.h"

#include "engine/record_facts.h"

namespace qs {

PruneKept KeepPruneInRecord(FileSystem& fs, RecordStore& store, int64_t ticks,
                            const std::vector<std::string>& folders, uint32_t* code) {
  *code = 0;
  const RecordStore::Found found = store.found();
  if (found != RecordStore::Found::kWhole && found != RecordStore::Found::kTornEnd)
    return PruneKept::kNoRecord;
  if (folders.empty()) return PruneKept::kKept;
  return store.Append(fs, FrameKind::kPrune, EncodePrune({ticks, folders}), code)
             ? PruneKept::kKept
             : PruneKept::kFailed;
}

}  // namespace qs
