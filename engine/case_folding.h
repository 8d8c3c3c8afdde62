// Names as a volume that ignores case sees them (FAT, exFAT, NTFS, many network shares).
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace qs {

/// `text` with every letter folded by Unicode's simple case folding (one code point to one,
/// as the upcase table of such a volume maps names), in UTF-8: two names that fold to the
/// same text are one name there. Every script's letters fold, within and beyond the Basic
/// Multilingual Plane. Bytes that are not valid UTF-8 are kept as they are.
std::string FoldCase(std::string_view text);

/// One character as FoldCase folds it, by code point.
char32_t FoldCharacter(char32_t c);

/// Calls `visit(c, FoldCharacter(c))` for every code point c from `first` to `last` that
/// folds to another one, in rising order: what a class of characters gains on a volume that
/// ignores case.
void ForEachFoldingCharacter(char32_t first, char32_t last,
                             const std::function<void(char32_t, char32_t)>& visit);

/// A byte that starts no UTF-8 character stands for itself above every code point, so that it
/// equals only the same byte.
inline constexpr char32_t kFirstStrayByte = 0x110000;

/// The character at `at` (which is within `text`) and its length in bytes: its code point, or
/// kFirstStrayByte plus the byte when no valid UTF-8 sequence starts there (length 1).
char32_t CharacterAt(std::string_view text, size_t at, size_t* length);

}  // namespace qs
