// Simple one-to-one upper-casing by code point ranges: what the upcase tables of FAT, exFAT
// and NTFS do for the scripts users name their files in. Letters outside these ranges are
// compared as they are, which at worst misses a collision between two rare spellings.
#include "engine/case_folding.h"

#include <cstdint>

namespace qs {

namespace {

char32_t Upper(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c < 0x80) return c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  if (c == 0xFF) return 0x178;
  if (c >= 0x100 && c <= 0x137) return c & ~char32_t{1};
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c % 2) == 0 ? c - 1 : c;
  if (c >= 0x14A && c <= 0x177) return c & ~char32_t{1};
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 32;
  if (c == 0x3C2) return 0x3A3;  // final sigma
  if (c >= 0x3AC && c <= 0x3AF) return c == 0x3AC ? 0x386 : c - 37;
  if (c == 0x3CA || c == 0x3CB) return c - 32;
  if (c == 0x3CC) return 0x38C;
  if (c == 0x3CD || c == 0x3CE) return c - 63;
  if (c >= 0x430 && c <= 0x44F) return c - 32;
  if (c >= 0x450 && c <= 0x45F) return c - 80;
  if (c >= 0x4C1 && c <= 0x4CE) return (c % 2) == 0 ? c - 1 : c;
  if (c == 0x4CF) return 0x4C0;
  if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F))
    return c & ~char32_t{1};
  if (c >= 0x561 && c <= 0x586) return c - 48;
  if (c >= 0xFF41 && c <= 0xFF5A) return c - 32;
  return c;
}

/// Decodes one UTF-8 sequence at `at`; false (nothing consumed) when it is not valid.
bool Decode(std::string_view text, size_t at, char32_t* c, size_t* length) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(at);
  size_t n;
  char32_t value;
  if (lead >= 0xC2 && lead <= 0xDF) {
    n = 2, value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    n = 3, value = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    n = 4, value = lead & 0x07;
  } else {
    return false;
  }
  if (at + n > text.size()) return false;
  for (size_t i = 1; i < n; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return false;
    value = (value << 6) | (byte(at + i) & 0x3F);
  }
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

char32_t FoldCharacter(char32_t c) { return Upper(c); }

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
      folded.push_back(static_cast<char>(Upper(lead)));
      ++at;
    } else if (Decode(text, at, &c, &length)) {
      Encode(Upper(c), &folded);
      at += length;
    } else {
      folded.push_back(text[at++]);
    }
  }
  return folded;
}

}  // namespace qs
