// Appends never rewrite what is on the disk, so a cut-short append can only leave a damaged
// end, which readers leave out; only that case rewrites the journal, and in one step.
#include "engine/record_store.h"

#include <utility>

#include "engine/file_copy.h"
#include "engine/paths.h"

namespace qs {

const char kRecordReadme[] =
    "This folder is Quillstone's record of the backups made into the folder around it: when\n"
    "each run went and how it ended, what the source held as of each run (every file with its\n"
    "size, last-write time and a hash of its content), and the checks of the copies.\n"
    "\n"
    "Your backed-up files are the ordinary files around this folder; none of them is in here.\n"
    "Without this folder the backup still works; restores as of a moment then go by the dates\n"
    "of the version folders. quillstone-run --rebuild-record makes a new record from the\n"
    "copies.\n";

RecordStore RecordStore::Open(FileSystem& fs, const std::string& target_root) {
  RecordStore store;
  store.target_ = WithoutTrailingSeparator(target_root);
  store.folder_ = target_root + kRecordFolderName;
  store.journal_ = store.folder_ + kPathSeparator + kJournalFileName;
  const PathInfo info = fs.Stat(store.journal_);
  if (info.kind == PathKind::Missing) return store;
  std::string bytes;
  if (info.kind != PathKind::File || !fs.ReadWholeFile(store.journal_, &bytes, kMaxJournalBytes)) {
    store.found_ = Found::kUnreadable;
    store.error_ = info.kind == PathKind::File ? fs.LastErrorCode() : 0;
    return store;
  }
  JournalContents contents = ReadJournal(bytes);
  const bool foreign = contents.foreign;
  const bool torn = contents.torn;
  const size_t whole_length = contents.wholeLength;
  store.bytes_ = bytes.size();
  store.history_ = RecordHistory::From(std::move(contents));
  if (foreign) {
    store.found_ = Found::kForeign;
  } else if (torn || store.history_.damaged()) {
    store.found_ = Found::kTornEnd;
    store.whole_ = bytes.substr(0, whole_length);
  } else {
    store.found_ = Found::kWhole;
  }
  return store;
}

bool RecordStore::Create(FileSystem& fs, const std::string& frame, uint32_t* code) {
  bool made = false;
  if (!EnsureDirectory(fs, folder_, &made)) return *code = fs.LastErrorCode(), false;
  if (made) fs.WriteWholeFile(folder_ + kPathSeparator + "README.txt", kRecordReadme);
  const std::string journal = std::string(kJournalMagic) + frame;
  // The journal's name must last too: its folder is flushed, and the target's for a new folder.
  if (!fs.WriteWholeFile(journal_, journal) || !fs.SyncDirectory(folder_) ||
      (made && !fs.SyncDirectory(target_.empty() ? "." : target_)))
    return *code = fs.LastErrorCode(), false;
  bytes_ = journal.size();
  return true;
}

bool RecordStore::Rewrite(FileSystem& fs, const std::string& frame, uint32_t* code) {
  // Some volumes cannot add to a file they already hold (FAT through FUSE refuses any write
  // past a file's start): the journal's whole facts and the new one then replace it in one
  // step, as after a damaged end, which also drops what a failed append may have left.
  *code = fs.LastErrorCode();
  std::string bytes;
  if (!fs.ReadWholeFile(journal_, &bytes, kMaxJournalBytes)) return false;
  const JournalContents contents = ReadJournal(bytes);
  if (contents.foreign) return false;
  const std::string journal = bytes.substr(0, contents.wholeLength) + frame;
  if (!fs.WriteWholeFile(journal_, journal) || !fs.SyncDirectory(folder_)) return false;
  bytes_ = journal.size();
  *code = 0;
  return true;
}

bool RecordStore::Append(FileSystem& fs, FrameKind kind, const std::string& payload,
                         uint32_t* code) {
  *code = 0;
  const std::string frame = EncodeFrame(kind, payload);
  switch (found_) {
    case Found::kForeign:
    case Found::kUnreadable:
      return false;
    case Found::kNone:
      if (!Create(fs, frame, code)) return false;
      break;
    case Found::kTornEnd:
      // The new journal's name must last too, or a crash brings back the torn one without it.
      if (!fs.WriteWholeFile(journal_, whole_ + frame) || !fs.SyncDirectory(folder_))
        return *code = fs.LastErrorCode(), false;
      bytes_ = whole_.size() + frame.size();
      whole_.clear();
      break;
    case Found::kWhole:
      if (fs.AppendToFile(journal_, frame)) {
        bytes_ += frame.size();
        break;
      }
      if (!Rewrite(fs, frame, code)) return false;
      break;
  }
  found_ = Found::kWhole;
  return true;
}

}  // namespace qs
