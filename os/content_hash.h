// Content hashes of file bytes: 128-bit XXH3, computed as the bytes stream past.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace qs {

/// The XXH3-128 hash of a file's bytes.
struct ContentHash {
  uint64_t low = 0;
  uint64_t high = 0;
  bool operator==(const ContentHash&) const = default;
  /// 32 lower-case hex digits, high half first (as xxhsum -H2 prints it).
  std::string Hex() const;
};

/// Hashes bytes fed in any number of pieces; the result is that of the whole run of bytes.
class ContentHasher {
 public:
  ContentHasher();
  ~ContentHasher();
  ContentHasher(const ContentHasher&) = delete;
  ContentHasher& operator=(const ContentHasher&) = delete;

  void Add(const void* data, size_t size);
  /// `size` zero bytes (a hole of a sparse file reads as zeros).
  void AddZeros(uint64_t size);
  ContentHash Result() const;
  /// Starts over with no bytes.
  void Reset();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

/// The hash of `bytes` in one go.
ContentHash HashOf(std::string_view bytes);

/// A 64-bit XXH3 checksum, for frames of the record.
uint64_t Checksum64(std::string_view bytes);

}  // namespace qs
