#include "engine/record_notice.h"

namespace qs {

std::optional<RunEvent> RecordNoticeEvent(const RecordStore& store) {
  const std::string& path = store.journalPath();
  switch (store.found()) {
    case RecordStore::Found::kNone:
      return std::nullopt;
    case RecordStore::Found::kWhole:
      if (!store.history().damaged()) return std::nullopt;
      [[fallthrough]];
    case RecordStore::Found::kTornEnd:
      return RunEvent{.kind = RunEventKind::kRecordDamagedEnd, .path = path};
    case RecordStore::Found::kUnreadable:
      return RunEvent{
          .kind = RunEventKind::kRecordUnreadable, .path = path, .code = store.errorCode()};
    case RecordStore::Found::kForeign:
      return RunEvent{.kind = RunEventKind::kRecordForeign, .path = path};
  }
  return std::nullopt;
}

void ReportRecord(const RecordStore& store, bool say_none, RunObserver& observer) {
  if (const std::optional<RunEvent> event = RecordNoticeEvent(store))
    observer.OnRunEvent(*event);
  else if (say_none && store.found() == RecordStore::Found::kNone)
    observer.OnRunEvent({.kind = RunEventKind::kNoRecordKept});
}

std::string RecordNotice(const RecordStore& store) {
  const std::optional<RunEvent> event = RecordNoticeEvent(store);
  if (!event) return {};
  std::string line;
  OperationLinesOf(*event, [&line](const std::string& text) { line = text; });
  return line;
}

}  // namespace qs
