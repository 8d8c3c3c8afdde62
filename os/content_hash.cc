// xxHash is used header-only, so every system's build takes it from the same header.
#include "os/content_hash.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace qs {

namespace {

constexpr size_t kZeroBlock = 64 * 1024;

}  // namespace

struct ContentHasher::State {
  XXH3_state_t xxh;
};

std::string ContentHash::Hex() const {
  static const char kDigits[] = "0123456789abcdef";
  std::string text(32, '0');
  for (int i = 0; i < 16; ++i) {
    text[15 - i] = kDigits[(high >> (4 * i)) & 0xf];
    text[31 - i] = kDigits[(low >> (4 * i)) & 0xf];
  }
  return text;
}

ContentHasher::ContentHasher() : state_(std::make_unique<State>()) { Reset(); }
ContentHasher::~ContentHasher() = default;

void ContentHasher::Reset() { XXH3_128bits_reset(&state_->xxh); }

void ContentHasher::Add(const void* data, size_t size) {
  if (size > 0) XXH3_128bits_update(&state_->xxh, data, size);
}

void ContentHasher::AddZeros(uint64_t size) {
  static const char kZeros[kZeroBlock] = {};
  while (size > 0) {
    const size_t piece = size < kZeroBlock ? static_cast<size_t>(size) : kZeroBlock;
    Add(kZeros, piece);
    size -= piece;
  }
}

ContentHash ContentHasher::Result() const {
  const XXH128_hash_t hash = XXH3_128bits_digest(&state_->xxh);
  return {hash.low64, hash.high64};
}

ContentHash HashOf(std::string_view bytes) {
  const XXH128_hash_t hash = XXH3_128bits(bytes.data(), bytes.size());
  return {hash.low64, hash.high64};
}

uint64_t Checksum64(std::string_view bytes) { return XXH3_64bits(bytes.data(), bytes.size()); }

}  // namespace qs
