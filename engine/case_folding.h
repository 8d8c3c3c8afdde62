// Names as a volume that ignores case sees them (FAT, exFAT, NTFS, many network shares).
#pragma once

#include <string>
#include <string_view>

namespace qs {

/// `text` with every letter in upper case, as such a volume compares names: ASCII, Latin-1,
/// Latin Extended-A, Greek, Cyrillic, Armenian and fullwidth Latin letters in UTF-8. Bytes
/// that are not valid UTF-8 are kept as they are.
std::string FoldCase(std::string_view text);

/// One character as FoldCase folds it, by code point.
char32_t FoldCharacter(char32_t c);

/// A byte that starts no UTF-8 character stands for itself above every code point, so that it
/// equals only the same byte.
inline constexpr char32_t kFirstStrayByte = 0x110000;

/// The character at `at` (which is within `text`) and its length in bytes: its code point, or
/// kFirstStrayByte plus the byte when no valid UTF-8 sequence starts there (length 1).
char32_t CharacterAt(std::string_view text, size_t at, size_t* length);

}  // namespace qs
