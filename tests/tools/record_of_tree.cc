// qs_record_of_tree SOURCE TARGET: appends to TARGET's record one run whose listing is every
// file of TARGET's current tree (the record's folder and version folders left out), with its
// size, last-write time and hash, as a backup from SOURCE into TARGET would record it. For
// the process-level cases and benches of the check, over copies any backup made.
#include <cstdio>
#include <string>

#include "engine/file_hash.h"
#include "engine/paths.h"
#include "engine/record_store.h"
#include "engine/version_store.h"
#include "os/clock.h"

namespace {

bool AddTree(qs::FileSystem& fs, const std::string& root, const std::string& relative,
             qs::Listing* listing) {
  qs::DirListing entries;
  if (!fs.ListDirectory(root + relative, &entries)) return false;
  for (const qs::DirEntry& entry : entries.entries) {
    const std::string below = relative + entry.name;
    if (relative.empty() &&
        (entry.name == qs::kRecordFolderName || entry.name.rfind("backup_", 0) == 0 ||
         entry.name.rfind(".qs-", 0) == 0))
      continue;
    if (entry.kind == qs::EntryKind::Directory) {
      if (!AddTree(fs, root, below + qs::kPathSeparator, listing)) return false;
      continue;
    }
    if (entry.kind != qs::EntryKind::File) continue;
    const qs::PathInfo info = fs.Stat(root + below);
    qs::RecordedFile file{qs::RecordPath(below), info.size, info.lastWrite, true, {}};
    uint64_t bytes = 0;
    uint32_t code = 0;
    static qs::FileHashReader reader;
    if (!reader.Hash(fs, root + below, &file.hash, &bytes, &code)) return false;
    listing->push_back(std::move(file));
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: qs_record_of_tree SOURCE TARGET\n");
    return 2;
  }
  const std::unique_ptr<qs::FileSystem> fs = qs::MakeRealFileSystem();
  const std::string target = qs::WithTrailingSeparator(argv[2]);
  qs::Listing listing;
  if (!AddTree(*fs, target, "", &listing)) {
    std::fprintf(stderr, "qs_record_of_tree: cannot read %s\n", argv[2]);
    return 1;
  }
  qs::Normalize(&listing);
  qs::RecordStore store = qs::RecordStore::Open(*fs, target);
  qs::RunFact run;
  run.number = store.history().runs().size() + 1;
  run.startTicks = run.endTicks = qs::RealClock().WallTicks();
  run.sourceRoot = qs::WithTrailingSeparator(argv[1]);
  run.copied = static_cast<int64_t>(listing.size());
  run.fullListing = true;
  run.changes = qs::AsChanges(listing);
  uint32_t code = 0;
  if (!store.Append(*fs, qs::FrameKind::kRun, qs::EncodeRun(run), &code)) {
    std::fprintf(stderr, "qs_record_of_tree: the record could not be written (%u)\n", code);
    return 1;
  }
  std::printf("%zu files recorded\n", listing.size());
  return 0;
}
