// The record's primitive encodings: little-endian base-128 varints, zigzag for signed values,
// strings as a length and their bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qs {

class ByteWriter {
 public:
  void Byte(uint8_t value) { out_.push_back(static_cast<char>(value)); }
  void Varint(uint64_t value);
  /// Zigzag: small negative and positive values both take few bytes.
  void Signed(int64_t value);
  void Fixed64(uint64_t value);
  void Raw(std::string_view bytes) { out_.append(bytes); }
  void String(std::string_view text);

  const std::string& data() const { return out_; }
  std::string Take() { return std::move(out_); }

 private:
  std::string out_;
};

/// Reads what ByteWriter wrote. Every read is false, and reads nothing, when the bytes run out
/// or do not form the value: a damaged record is told apart, never misread.
class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

  bool Byte(uint8_t* value);
  bool Varint(uint64_t* value);
  bool Signed(int64_t* value);
  bool Fixed64(uint64_t* value);
  bool Raw(size_t size, std::string_view* bytes);
  bool String(std::string* text);
  /// A string left in place: valid while the bytes read are.
  bool StringView(std::string_view* text);
  /// A varint that must fit `limit` (counts and lengths that size a later allocation).
  bool Count(uint64_t limit, uint64_t* value);

  bool AtEnd() const { return at_ == bytes_.size(); }
  size_t Offset() const { return at_; }
  size_t Remaining() const { return bytes_.size() - at_; }

 private:
  std::string_view bytes_;
  size_t at_ = 0;
};

}  // namespace qs
