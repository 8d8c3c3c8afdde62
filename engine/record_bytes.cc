#include "engine/record_bytes.h"

namespace qs {

void ByteWriter::Varint(uint64_t value) {
  while (value >= 0x80) {
    Byte(static_cast<uint8_t>(value | 0x80));
    value >>= 7;
  }
  Byte(static_cast<uint8_t>(value));
}

void ByteWriter::Signed(int64_t value) {
  const uint64_t bits = static_cast<uint64_t>(value);
  Varint((bits << 1) ^ (value < 0 ? ~uint64_t{0} : 0));
}

void ByteWriter::Fixed64(uint64_t value) {
  for (int i = 0; i < 8; ++i) Byte(static_cast<uint8_t>(value >> (8 * i)));
}

void ByteWriter::String(std::string_view text) {
  Varint(text.size());
  Raw(text);
}

bool ByteReader::Byte(uint8_t* value) {
  if (at_ >= bytes_.size()) return false;
  *value = static_cast<uint8_t>(bytes_[at_++]);
  return true;
}

bool ByteReader::Varint(uint64_t* value) {
  uint64_t result = 0;
  size_t at = at_;
  for (int shift = 0; shift < 64; shift += 7) {
    if (at >= bytes_.size()) return false;
    const uint8_t byte = static_cast<uint8_t>(bytes_[at++]);
    // The tenth byte may carry only the top bit of a 64-bit value.
    if (shift == 63 && byte > 1) return false;
    result |= uint64_t{byte & 0x7fu} << shift;
    if ((byte & 0x80) == 0) {
      at_ = at;
      *value = result;
      return true;
    }
  }
  return false;
}

bool ByteReader::Signed(int64_t* value) {
  uint64_t bits = 0;
  if (!Varint(&bits)) return false;
  *value = static_cast<int64_t>((bits >> 1) ^ (~(bits & 1) + 1));
  return true;
}

bool ByteReader::Fixed64(uint64_t* value) {
  if (bytes_.size() - at_ < 8) return false;
  uint64_t result = 0;
  for (int i = 0; i < 8; ++i) result |= uint64_t{static_cast<uint8_t>(bytes_[at_ + i])} << (8 * i);
  at_ += 8;
  *value = result;
  return true;
}

bool ByteReader::Raw(size_t size, std::string_view* bytes) {
  if (bytes_.size() - at_ < size) return false;
  *bytes = bytes_.substr(at_, size);
  at_ += size;
  return true;
}

bool ByteReader::String(std::string* text) {
  std::string_view bytes;
  if (!StringView(&bytes)) return false;
  text->assign(bytes);
  return true;
}

bool ByteReader::StringView(std::string_view* text) {
  const size_t start = at_;
  uint64_t size = 0;
  if (!Varint(&size) || size > bytes_.size() - at_ || !Raw(size, text)) {
    at_ = start;
    return false;
  }
  return true;
}

bool ByteReader::Count(uint64_t limit, uint64_t* value) {
  const size_t start = at_;
  if (Varint(value) && *value <= limit) return true;
  at_ = start;
  return false;
}

}  // namespace qs
