// Simple case folding by code point ranges, generated from Unicode's data: no volume's table
// is known here, so the run folds every letter Unicode folds, which at worst counts two rare
// spellings as one name where a volume keeps them apart. The copy itself never replaces an
// entry spelt otherwise, whatever this table says.
#include "engine/case_folding.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace qs {

namespace {

struct FoldRange {
  char32_t first;
  char32_t last;
  uint8_t stride;  ///< 1: every code point of the range folds; 2: every other one
  int32_t delta;
};

constexpr FoldRange kFoldRanges[] = {
#include "engine/case_folding_table.inc"
};

char32_t Fold(char32_t c) {
  if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 32 : c;
  const auto after =
      std::upper_bound(std::begin(kFoldRanges), std::end(kFoldRanges), c,
                       [](char32_t value, const FoldRange& range) { return value < range.first; });
  if (after == std::begin(kFoldRanges)) return c;
  const FoldRange& range = *std::prev(after);
  if (c > range.last || (c - range.first) % range.stride != 0) return c;
  return static_cast<char32_t>(static_cast<int64_t>(c) + range.delta);
}

/// Decodes one UTF-8 sequence at `at`; false (nothing consumed) when it is not valid: cut
/// off, overlong, a surrogate or beyond U+10FFFF. An overlong form must not pass for the
/// letter it spells, or two different names would fold alike.
bool Decode(std::string_view text, size_t at, char32_t* c, size_t* length) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(at);
  size_t n;
  char32_t value, least;
  if (lead >= 0xC2 && lead <= 0xDF) {
    n = 2, value = lead & 0x1F, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    n = 3, value = lead & 0x0F, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    n = 4, value = lead & 0x07, least = 0x10000;
  } else {
    return false;
  }
  if (at + n > text.size()) return false;
  for (size_t i = 1; i < n; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return false;
    value = (value << 6) | (byte(at + i) & 0x3F);
  }
  if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
  *c = value;
  *length = n;
  return true;
}

void Encode(char32_t c, std::string* out) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (c >> 6)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (c >> 12)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (c >> 18)));
    out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace

char32_t FoldCharacter(char32_t c) { return Fold(c); }

void ForEachFoldingCharacter(char32_t first, char32_t last,
                             const std::function<void(char32_t, char32_t)>& visit) {
  for (const FoldRange& range : kFoldRanges) {
    if (range.last < first || range.first > last) continue;
    for (char32_t c = range.first; c <= range.last && c <= last; c += range.stride)
      if (c >= first) visit(c, Fold(c));
  }
}

char32_t CharacterAt(std::string_view text, size_t at, size_t* length) {
  char32_t c;
  if (static_cast<uint8_t>(text[at]) < 0x80) {
    *length = 1;
    return static_cast<uint8_t>(text[at]);
  }
  if (Decode(text, at, &c, length)) return c;
  *length = 1;
  return kFirstStrayByte + static_cast<uint8_t>(text[at]);
}

std::string FoldCase(std::string_view text) {
  std::string folded;
  folded.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    const uint8_t lead = static_cast<uint8_t>(text[at]);
    char32_t c;
    size_t length;
    if (lead < 0x80) {
      folded.push_back(static_cast<char>(Fold(lead)));
      ++at;
    } else if (Decode(text, at, &c, &length)) {
      Encode(Fold(c), &folded);
      at += length;
    } else {
      folded.push_back(text[at++]);
    }
  }
  return folded;
}

}  // namespace qs
