#include "engine/record_notice.h"

#include "os/error_text.h"

namespace qs {

std::string RecordNotice(const RecordStore& store) {
  const std::string& path = store.journalPath();
  switch (store.found()) {
    case RecordStore::Found::kNone:
      return {};
    case RecordStore::Found::kWhole:
      if (!store.history().damaged()) return {};
      [[fallthrough]];
    case RecordStore::Found::kTornEnd:
      return "The record of the runs has a damaged end, which is left out: " + path;
    case RecordStore::Found::kUnreadable:
      return "The record of the runs cannot be read, so this operation goes without it: " + path +
             (store.errorCode() ? ". " + ErrorCodeText(store.errorCode()) : "");
    case RecordStore::Found::kForeign:
      return "The record's file was not written by Quillstone and is left alone, so this "
             "operation goes without a record: " +
             path;
  }
  return {};
}

}  // namespace qs
