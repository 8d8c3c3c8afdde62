// The record's journal: a header, then one frame per fact (a run, a prune, a check), each
// with its own checksum. Frames are only ever appended, so a cut-short append can damage
// nothing but the end, and that end is recognised and left out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

/// The first bytes of every journal; a journal of another format is not read at all.
inline constexpr std::string_view kJournalMagic = "QSREC01\n";

enum class FrameKind : uint8_t {
  kRun = 1,    ///< a backup run that reached its end, with what the source held
  kPrune = 2,  ///< version folders removed
  kCheck = 3,  ///< a check of the copies: how far it got, what it found
};

struct Frame {
  FrameKind kind;
  std::string payload;
  size_t offset = 0;  ///< where the frame starts in the journal
};

/// kind, the payload's length, the payload, and XXH3-64 of all three.
std::string EncodeFrame(FrameKind kind, std::string_view payload);

struct JournalContents {
  std::vector<Frame> frames;  ///< the whole frames, in order (kinds this build does not know too)
  size_t wholeLength = 0;     ///< bytes up to the end of the last whole frame
  bool torn = false;          ///< bytes after that: an append cut short, or damage
  bool foreign = false;       ///< no journal header at all: nothing was read
};

/// Reads every whole frame up to the first that is cut short or fails its checksum.
JournalContents ReadJournal(std::string_view bytes);

/// The largest payload a frame may declare: a damaged length must not size an allocation.
inline constexpr uint64_t kMaxFramePayload = uint64_t{1} << 34;

}  // namespace qs
