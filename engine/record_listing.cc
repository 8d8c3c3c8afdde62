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

/// Sorts by path, keeping the last of equal paths.
template <typename Item, typename PathOf>
void KeepLastOfEachPath(std::vector<Item>* items, PathOf path_of) {
  std::stable_sort(items->begin(), items->end(),
                   [&](const Item& a, const Item& b) { return path_of(a) < path_of(b); });
  // Walk from the back and keep the first seen.
  std::vector<Item> unique;
  unique.reserve(items->size());
  for (auto at = items->rbegin(); at != items->rend(); ++at)
    if (unique.empty() || path_of(unique.back()) != path_of(*at)) unique.push_back(std::move(*at));
  std::reverse(unique.begin(), unique.end());
  *items = std::move(unique);
}

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

/// Reads a change's bits and its path, which shares its first bytes with `previous`, the path
/// before it (`path` must be another string).
bool ReadPath(ByteReader* in, const std::string& previous, bool first, uint8_t* bits,
              std::string* path) {
  uint64_t shared = 0;
  std::string_view suffix;
  if (!in->Byte(bits) || (*bits & ~kKnownBits) != 0 || !in->Count(previous.size(), &shared) ||
      !in->StringView(&suffix))
    return false;
  path->assign(previous, 0, shared).append(suffix);
  // Paths come in strictly rising order: anything else is damage, not a listing. The two
  // share their first `shared` bytes, so only the rest is compared.
  return first || std::string_view(previous).substr(shared) < suffix;
}

}  // namespace

ListingChange RemovalOf(const std::string& path) {
  ListingChange change;
  change.kind = ListingChange::Kind::kRemove;
  change.file.path = path;
  return change;
}

ListingChanges Diff(const Listing& before, const Listing& after) {
  ListingChanges changes;
  auto old = before.begin();
  for (const RecordedFile& file : after) {
    for (; old != before.end() && old->path < file.path; ++old)
      changes.push_back(RemovalOf(old->path));
    const bool same = old != before.end() && old->path == file.path;
    if (!same || !(*old == file)) changes.push_back({ListingChange::Kind::kPut, file, false});
    if (same) ++old;
  }
  for (; old != before.end(); ++old) changes.push_back(RemovalOf(old->path));
  return changes;
}

void Apply(const ListingChanges& changes, Listing* listing) {
  Apply(ListingChanges(changes), listing);
}

void Apply(ListingChanges&& changes, Listing* listing) {
  if (changes.empty()) return;
  Listing merged;
  merged.reserve(listing->size() + changes.size());
  auto old = listing->begin();
  for (ListingChange& change : changes) {
    for (; old != listing->end() && old->path < change.file.path; ++old)
      merged.push_back(std::move(*old));
    if (old != listing->end() && old->path == change.file.path) ++old;
    if (change.kind == ListingChange::Kind::kPut) merged.push_back(std::move(change.file));
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

const RecordedFile* FindNear(const Listing& listing, const std::string& path,
                             const RecordedFile* near) {
  if (near == nullptr) return Find(listing, path);
  const ptrdiff_t size = static_cast<ptrdiff_t>(listing.size());
  const ptrdiff_t at = near - listing.data();
  // Steps of 1, 2, 4... away from `near` until one reaches the path, which then lies in
  // [low, high): every file before `low` comes before it, and the one before `high` does not.
  ptrdiff_t low = 0;
  ptrdiff_t high = size;
  if (near->path < path) {
    low = at + 1;
    for (ptrdiff_t step = 1; at + step < size; step *= 2) {
      if (!(listing[at + step].path < path)) {
        high = at + step + 1;
        break;
      }
      low = at + step + 1;
    }
  } else {
    high = at + 1;
    for (ptrdiff_t step = 1; at - step >= 0; step *= 2) {
      if (listing[at - step].path < path) {
        low = at - step + 1;
        break;
      }
      high = at - step + 1;
    }
  }
  const auto end = listing.begin() + high;
  const auto found = std::lower_bound(
      listing.begin() + low, end, path,
      [](const RecordedFile& file, const std::string& value) { return file.path < value; });
  return found != end && found->path == path ? &*found : nullptr;
}

void Normalize(Listing* listing) {
  KeepLastOfEachPath(listing,
                     [](const RecordedFile& file) -> const std::string& { return file.path; });
}

ListingChanges LastOfEachPath(ListingChanges changes) {
  KeepLastOfEachPath(
      &changes, [](const ListingChange& change) -> const std::string& { return change.file.path; });
  return changes;
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
  // Room for them all at once, as far as the bytes left can hold them: a damaged count
  // reserves no more than they could.
  changes->reserve(static_cast<size_t>(std::min<uint64_t>(count, in->Remaining() / 3)));
  const std::string none;
  for (uint64_t i = 0; i < count; ++i) {
    ListingChange change;
    uint8_t bits = 0;
    const std::string& previous = changes->empty() ? none : changes->back().file.path;
    if (!ReadPath(in, previous, i == 0, &bits, &change.file.path)) return false;
    change.kind = (bits & kRemoveBit) ? ListingChange::Kind::kRemove : ListingChange::Kind::kPut;
    change.versionSaved = (bits & kVersionSavedBit) != 0;
    if (change.kind == ListingChange::Kind::kPut &&
        !DecodeFile(in, (bits & kHashKnownBit) != 0, &change.file))
      return false;
    changes->push_back(std::move(change));
  }
  return true;
}

bool SkipChanges(ByteReader* in, uint64_t* count) {
  if (!in->Count(kMaxChanges, count)) return false;
  std::string previous;
  std::string path;
  RecordedFile file;
  for (uint64_t i = 0; i < *count; ++i) {
    uint8_t bits = 0;
    if (!ReadPath(in, previous, i == 0, &bits, &path)) return false;
    if ((bits & kRemoveBit) == 0 && !DecodeFile(in, (bits & kHashKnownBit) != 0, &file))
      return false;
    previous.swap(path);
  }
  return true;
}

ListingChanges AsChanges(const Listing& listing) { return Diff({}, listing); }

std::string RecordPath(std::string native_relative) {
  if (kPathSeparator != '/')
    std::replace(native_relative.begin(), native_relative.end(), kPathSeparator, '/');
  return native_relative;
}

std::string NativePath(const std::string& record_path) {
  std::string path = record_path;
  if (kPathSeparator != '/') std::replace(path.begin(), path.end(), '/', kPathSeparator);
  return path;
}

}  // namespace qs
