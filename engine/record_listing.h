// What the source held as of a run, as the record keeps it: every file below the source root
// with the size, last-write time and content hash of its copy, in path order. Runs store the
// changes from the run before, now and then the whole listing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/record_bytes.h"
#include "os/content_hash.h"
#include "os/file_system.h"

namespace qs {

/// One file of a listing. `path` is below the source root, with '/' between names on every
/// system, so that a record reads the same wherever the target is mounted.
struct RecordedFile {
  std::string path;
  uint64_t size = 0;
  FileTime lastWrite;
  bool hashKnown = false;  ///< false for a copy the record never saw the bytes of
  ContentHash hash;
  bool operator==(const RecordedFile&) const = default;
};

/// Sorted by path (byte order), each path once.
using Listing = std::vector<RecordedFile>;

/// One change of a listing from one run to the next.
struct ListingChange {
  enum class Kind : uint8_t { kPut, kRemove };
  Kind kind = Kind::kPut;
  RecordedFile file;          ///< for kRemove only the path counts
  bool versionSaved = false;  ///< the copy it replaced was saved in the run's version folder
  bool operator==(const ListingChange&) const = default;
};
using ListingChanges = std::vector<ListingChange>;

/// The change that takes `path` out of a listing.
ListingChange RemovalOf(const std::string& path);

/// The changes that turn `before` into `after`, in path order; none saves a version.
ListingChanges Diff(const Listing& before, const Listing& after);

/// Applies changes in path order to `listing`; the second moves the files put.
void Apply(const ListingChanges& changes, Listing* listing);
void Apply(ListingChanges&& changes, Listing* listing);

/// The file of `listing` at `path`, or null.
const RecordedFile* Find(const Listing& listing, const std::string& path);
/// Find, starting from `near` (a file of `listing`, or null): it takes a few steps through
/// memory already read when the path lies close to it.
const RecordedFile* FindNear(const Listing& listing, const std::string& path,
                             const RecordedFile* near);

/// Sorts by path and keeps the last file of each path.
void Normalize(Listing* listing);

/// The changes of several runs, run after run, as one set in path order: applied at once, they
/// leave what applying each run's did (the last change of a path wins).
ListingChanges LastOfEachPath(ListingChanges changes);

/// Paths share their leading bytes with the one before: a listing of a deep tree takes little
/// more than its names.
void EncodeChanges(const ListingChanges& changes, ByteWriter* out);
bool DecodeChanges(ByteReader* in, ListingChanges* changes);
/// Reads past encoded changes, checking them as DecodeChanges does, and counts them: for a
/// reader that needs the runs, not their listings.
bool SkipChanges(ByteReader* in, uint64_t* count);

/// A whole listing, as changes from nothing.
ListingChanges AsChanges(const Listing& listing);

/// A relative native path as the record writes it ('/' between names), and back.
std::string RecordPath(std::string native_relative);
std::string NativePath(const std::string& record_path);

}  // namespace qs
