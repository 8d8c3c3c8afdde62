#include "engine/record_listing.h"

#include <algorithm>

namespace qs {

namespace {

constexpr uint8_t kRemoveBit = 1;
constexpr uint8_t kVersionSavedBit = 2;
constexpr uint8_t kHashKnownBit = 4;
constexpr uint8_t kKnownBits = kRemoveBit | kVersionSavedBit | kHashKnownBit;
// A change takes at least two bytes: a count above this can only be damage.
constexpr uint64_t kMaxChanges = uint64_t{1} << 32;

ListingChange Removal(const std::string& path) {
  ListingChange change;
  change.kind = ListingChange::Kind::kRemove;
  change.file.path = path;
  return change;
}

bool ByPath(const RecordedFile& a, const RecordedFile& b) { return a.path < b.path; }

size_t SharedPrefix(const std::string& a, const std::string& b) {
  const size_t most = std::min(a.size(), b.size());
  size_t shared = 0;
  while (shared < most && a[shared] == b[shared]) ++shared;
  return shared;
}

void EncodeFile(const RecordedFile& file, ByteWriter* out) {
  out->Varint(file.size);
  out->Signed(file.lastWrite.seconds);
  out->Varint(static_cast<uint64_t>(file.lastWrite.nanos));
  if (!file.hashKnown) return;
  out->Fixed64(file.hash.low);
  out->Fixed64(file.hash.high);
}

bool DecodeFile(ByteReader* in, bool hash_known, RecordedFile* file) {
  uint64_t nanos = 0;
  if (!in->Varint(&file->size) || !in->Signed(&file->lastWrite.seconds) ||
      !in->Count(999999999, &nanos))
    return false;
  file->lastWrite.nanos = static_cast<int32_t>(nanos);
  file->hashKnown = hash_known;
  return !hash_known || (in->Fixed64(&file->hash.low) && in->Fixed64(&file->hash.high));
}

}  // namespace

ListingChanges Diff(const Listing& before, const Listing& after) {
  ListingChanges changes;
  auto old = before.begin();
  for (const RecordedFile& file : after) {
    for (; old != before.end() && old->path < file.path; ++old)
      changes.push_back(Removal(old->path));
    const bool same = old != before.end() && old->path == file.path;
    if (!same || !(*old == file)) changes.push_back({ListingChange::Kind::kPut, file, false});
    if (same) ++old;
  }
  for (; old != before.end(); ++old) changes.push_back(Removal(old->path));
  return changes;
}

void Apply(const ListingChanges& changes, Listing* listing) {
  Listing merged;
  merged.reserve(listing->size() + changes.size());
  auto old = listing->begin();
  for (const ListingChange& change : changes) {
    for (; old != listing->end() && old->path < change.file.path; ++old)
      merged.push_back(std::move(*old));
    if (old != listing->end() && old->path == change.file.path) ++old;
    if (change.kind == ListingChange::Kind::kPut) merged.push_back(change.file);
  }
  for (; old != listing->end(); ++old) merged.push_back(std::move(*old));
  *listing = std::move(merged);
}

const RecordedFile* Find(const Listing& listing, const std::string& path) {
  const auto at = std::lower_bound(
      listing.begin(), listing.end(), path,
      [](const RecordedFile& file, const std::string& value) { return file.path < value; });
  return at != listing.end() && at->path == path ? &*at : nullptr;
}

void Normalize(Listing* listing) {
  std::stable_sort(listing->begin(), listing->end(), ByPath);
  // The last of equal paths wins: walk from the back and keep the first seen.
  Listing unique;
  unique.reserve(listing->size());
  for (auto at = listing->rbegin(); at != listing->rend(); ++at)
    if (unique.empty() || unique.back().path != at->path) unique.push_back(std::move(*at));
  std::reverse(unique.begin(), unique.end());
  *listing = std::move(unique);
}

void EncodeChanges(const ListingChanges& changes, ByteWriter* out) {
  out->Varint(changes.size());
  const std::string* previous = nullptr;
  for (const ListingChange& change : changes) {
    const bool remove = change.kind == ListingChange::Kind::kRemove;
    uint8_t bits = remove ? kRemoveBit : 0;
    if (change.versionSaved) bits |= kVersionSavedBit;
    if (!remove && change.file.hashKnown) bits |= kHashKnownBit;
    out->Byte(bits);
    const std::string& path = change.file.path;
    const size_t shared = previous != nullptr ? SharedPrefix(*previous, path) : 0;
    out->Varint(shared);
    out->String(std::string_view(path).substr(shared));
    if (!remove) EncodeFile(change.file, out);
    previous = &path;
  }
}

bool DecodeChanges(ByteReader* in, ListingChanges* changes) {
  uint64_t count = 0;
  if (!in->Count(kMaxChanges, &count)) return false;
  changes->clear();
  std::string previous;
  for (uint64_t i = 0; i < count; ++i) {
    uint8_t bits = 0;
    uint64_t shared = 0;
    std::string suffix;
    if (!in->Byte(&bits) || (bits & ~kKnownBits) != 0 || !in->Count(previous.size(), &shared) ||
        !in->String(&suffix))
      return false;
    ListingChange change;
    change.kind = (bits & kRemoveBit) ? ListingChange::Kind::kRemove : ListingChange::Kind::kPut;
    change.versionSaved = (bits & kVersionSavedBit) != 0;
    change.file.path = previous.substr(0, shared) + suffix;
    // Paths come in strictly rising order: anything else is damage, not a listing.
    if (i > 0 && !(previous < change.file.path)) return false;
    if (change.kind == ListingChange::Kind::kPut &&
        !DecodeFile(in, (bits & kHashKnownBit) != 0, &change.file))
      return false;
    previous = change.file.path;
    changes->push_back(std::move(change));
  }
  return true;
}

ListingChanges AsChanges(const Listing& listing) { return Diff({}, listing); }

std::string RecordPath(const std::string& native_relative) {
  std::string path = native_relative;
  if (kPathSeparator != '/') std::replace(path.begin(), path.end(), kPathSeparator, '/');
  return path;
}

std::string NativePath(const std::string& record_path) {
  std::string path = record_path;
  if (kPathSeparator != '/') std::replace(path.begin(), path.end(), '/', kPathSeparator);
  return path;
}

}  // namespace qs
