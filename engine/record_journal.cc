#include "engine/record_journal.h"

#include "engine/record_bytes.h"
#include "os/content_hash.h"

namespace qs {

std::string EncodeFrame(FrameKind kind, std::string_view payload) {
  ByteWriter out;
  out.Byte(static_cast<uint8_t>(kind));
  out.Varint(payload.size());
  out.Raw(payload);
  const uint64_t checksum = Checksum64(out.data());
  out.Fixed64(checksum);
  return out.Take();
}

namespace {

/// The frame at the reader's place; false when it is cut short or fails its checksum.
bool ReadFrame(std::string_view bytes, ByteReader* reader, Frame* frame) {
  const size_t start = reader->Offset();
  uint8_t kind = 0;
  uint64_t length = 0;
  std::string_view payload;
  uint64_t checksum = 0;
  if (!reader->Byte(&kind) || !reader->Count(kMaxFramePayload, &length) ||
      !reader->Raw(static_cast<size_t>(length), &payload))
    return false;
  const std::string_view covered = bytes.substr(start, reader->Offset() - start);
  if (!reader->Fixed64(&checksum) || checksum != Checksum64(covered)) return false;
  frame->kind = static_cast<FrameKind>(kind);
  frame->payload.assign(payload);
  frame->offset = start;
  return true;
}

}  // namespace

JournalContents ReadJournal(std::string_view bytes) {
  JournalContents contents;
  if (bytes.substr(0, kJournalMagic.size()) != kJournalMagic) {
    contents.foreign = !bytes.empty();
    return contents;
  }
  ByteReader reader(bytes);
  std::string_view magic;
  reader.Raw(kJournalMagic.size(), &magic);
  contents.wholeLength = reader.Offset();
  while (!reader.AtEnd()) {
    Frame frame;
    if (!ReadFrame(bytes, &reader, &frame)) {
      contents.torn = true;
      break;
    }
    contents.frames.push_back(std::move(frame));
    contents.wholeLength = reader.Offset();
  }
  return contents;
}

}  // namespace qs
