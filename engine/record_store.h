// The record of a target, kept in TARGET/.quillstone/: read once at the start of an operation,
// and appended to, one durable fact at a time.
#pragma once

#include <cstdint>
#include <string>

#include "engine/record_history.h"
#include "engine/record_journal.h"
#include "os/file_system.h"

namespace qs {

/// The record's folder, directly in the target. It is never backed-up data: scans, restores
/// and the lists of versions leave it out.
inline constexpr char kRecordFolderName[] = ".quillstone";
inline constexpr char kJournalFileName[] = "journal";

/// A journal larger than this is not read (a damaged size, or not ours).
inline constexpr uint64_t kMaxJournalBytes = uint64_t{1} << 36;

class RecordStore {
 public:
  enum class Found {
    kNone,        ///< no record yet
    kWhole,       ///< every fact read
    kTornEnd,     ///< the facts up to a damaged end; the end is cut off by the next append
    kUnreadable,  ///< the journal is there but could not be read: errorCode() says why
    kForeign,     ///< a file of that name that is no journal: it is left alone
  };

  /// Reads the record of `target_root` (which ends with a separator).
  static RecordStore Open(FileSystem& fs, const std::string& target_root);

  Found found() const { return found_; }
  uint32_t errorCode() const { return error_; }
  const RecordHistory& history() const { return history_; }
  /// The journal's size on the disk, damaged end included.
  uint64_t bytes() const { return bytes_; }
  const std::string& journalPath() const { return journal_; }

  /// Appends one fact, on the disk when this returns true. The first makes the folder and its
  /// README; after a damaged end, the whole facts and the new one replace the journal in one
  /// step. False, with the system's code in `*code`, when the fact could not be kept (never
  /// into a foreign or unreadable journal: `*code` is then 0).
  bool Append(FileSystem& fs, FrameKind kind, const std::string& payload, uint32_t* code);

 private:
  bool Create(FileSystem& fs, const std::string& frame, uint32_t* code);
  /// Appends by writing the whole journal anew; `*code` keeps the failed append's code when
  /// that fails too.
  bool Rewrite(FileSystem& fs, const std::string& frame, uint32_t* code);

  std::string target_;
  std::string folder_;
  std::string journal_;
  Found found_ = Found::kNone;
  uint32_t error_ = 0;
  RecordHistory history_;
  uint64_t bytes_ = 0;
  std::string whole_;  ///< the journal's whole facts, kept only while its end is damaged
};

/// What the record's README says.
extern const char kRecordReadme[];

}  // namespace qs
