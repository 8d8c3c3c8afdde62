// Every fact starts with a format number of its own, so that a later build can add fields at
// the end of a fact that this build still reads.
#include "engine/record_facts.h"

namespace qs {

namespace {

constexpr uint64_t kFormat = 1;
constexpr uint64_t kMaxItems = uint64_t{1} << 32;

void Strings(const std::vector<std::string>& items, ByteWriter* out) {
  out->Varint(items.size());
  for (const std::string& item : items) out->String(item);
}

bool Strings(ByteReader* in, std::vector<std::string>* items) {
  uint64_t count = 0;
  if (!in->Count(kMaxItems, &count)) return false;
  items->clear();
  for (uint64_t i = 0; i < count; ++i) {
    std::string item;
    if (!in->String(&item)) return false;
    items->push_back(std::move(item));
  }
  return true;
}

void Copies(const std::vector<CheckedCopy>& copies, ByteWriter* out) {
  out->Varint(copies.size());
  for (const CheckedCopy& copy : copies) {
    out->String(copy.folder);
    out->String(copy.path);
  }
}

bool Copies(ByteReader* in, std::vector<CheckedCopy>* copies) {
  uint64_t count = 0;
  if (!in->Count(kMaxItems, &count)) return false;
  copies->clear();
  for (uint64_t i = 0; i < count; ++i) {
    CheckedCopy copy;
    if (!in->String(&copy.folder) || !in->String(&copy.path)) return false;
    copies->push_back(std::move(copy));
  }
  return true;
}

bool Format(ByteReader* in) {
  uint64_t format = 0;
  return in->Varint(&format) && format >= kFormat;
}

bool Int(ByteReader* in, int64_t* value) { return in->Signed(value); }

}  // namespace

std::string EncodeRun(const RunFact& run) {
  ByteWriter out;
  out.Varint(kFormat);
  out.Varint(run.number);
  out.Signed(run.startTicks);
  out.Signed(run.endTicks);
  out.String(run.sourceRoot);
  for (int64_t count : {run.copied, run.updated, run.skipped, run.failed, run.timeVersioned})
    out.Signed(count);
  out.Signed(run.exitStatus);
  out.String(run.versionFolder);
  out.Byte(static_cast<uint8_t>((run.rebuilt ? 1 : 0) | (run.fullListing ? 2 : 0)));
  EncodeChanges(run.changes, &out);
  out.Varint(run.failedCount);
  Strings(run.failedPaths, &out);
  return out.Take();
}

namespace {

/// Decodes a run, its changes only when `change_count` is null.
bool DecodeRunFact(std::string_view payload, RunFact* run, uint64_t* change_count) {
  ByteReader in(payload);
  int64_t status = 0;
  uint8_t flags = 0;
  if (!Format(&in) || !in.Varint(&run->number) || !Int(&in, &run->startTicks) ||
      !Int(&in, &run->endTicks) || !in.String(&run->sourceRoot))
    return false;
  for (int64_t* count :
       {&run->copied, &run->updated, &run->skipped, &run->failed, &run->timeVersioned})
    if (!Int(&in, count)) return false;
  if (!Int(&in, &status) || !in.String(&run->versionFolder) || !in.Byte(&flags)) return false;
  const bool changes_read =
      change_count == nullptr ? DecodeChanges(&in, &run->changes) : SkipChanges(&in, change_count);
  if (!changes_read || !in.Varint(&run->failedCount) || !Strings(&in, &run->failedPaths))
    return false;
  run->exitStatus = static_cast<int>(status);
  run->rebuilt = (flags & 1) != 0;
  run->fullListing = (flags & 2) != 0;
  return true;
}

}  // namespace

bool DecodeRun(std::string_view payload, RunFact* run) {
  return DecodeRunFact(payload, run, nullptr);
}

bool DecodeRunWithoutChanges(std::string_view payload, RunFact* run, uint64_t* change_count) {
  return DecodeRunFact(payload, run, change_count);
}

std::string EncodePrune(const PruneFact& prune) {
  ByteWriter out;
  out.Varint(kFormat);
  out.Signed(prune.ticks);
  Strings(prune.removedFolders, &out);
  return out.Take();
}

bool DecodePrune(std::string_view payload, PruneFact* prune) {
  ByteReader in(payload);
  return Format(&in) && Int(&in, &prune->ticks) && Strings(&in, &prune->removedFolders);
}

std::string EncodeCheck(const CheckFact& check) {
  ByteWriter out;
  out.Varint(kFormat);
  out.Signed(check.ticks);
  out.Varint(check.bytesRead);
  out.Varint(check.bytesInAll);
  out.Varint(check.cycle);
  out.String(check.resumeAt.folder);
  out.String(check.resumeAt.path);
  out.Byte(check.wrapped ? 1 : 0);
  Copies(check.damaged, &out);
  Copies(check.changed, &out);
  out.Varint(check.learned.size());
  for (const auto& [copy, hash] : check.learned) {
    out.String(copy.folder);
    out.String(copy.path);
    out.Fixed64(hash.low);
    out.Fixed64(hash.high);
  }
  return out.Take();
}

bool DecodeCheck(std::string_view payload, CheckFact* check) {
  ByteReader in(payload);
  uint8_t wrapped = 0;
  uint64_t learned = 0;
  if (!Format(&in) || !Int(&in, &check->ticks) || !in.Varint(&check->bytesRead) ||
      !in.Varint(&check->bytesInAll) || !in.Varint(&check->cycle) ||
      !in.String(&check->resumeAt.folder) || !in.String(&check->resumeAt.path) ||
      !in.Byte(&wrapped) || !Copies(&in, &check->damaged) || !Copies(&in, &check->changed) ||
      !in.Count(kMaxItems, &learned))
    return false;
  check->wrapped = wrapped != 0;
  check->learned.clear();
  for (uint64_t i = 0; i < learned; ++i) {
    CheckedCopy copy;
    ContentHash hash;
    if (!in.String(&copy.folder) || !in.String(&copy.path) || !in.Fixed64(&hash.low) ||
        !in.Fixed64(&hash.high))
      return false;
    check->learned.emplace_back(std::move(copy), hash);
  }
  return true;
}

}  // namespace qs
