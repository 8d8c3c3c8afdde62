// Names as a volume that ignores case sees them (FAT, exFAT, NTFS, many network shares).
#pragma once

#include <string>
#include <string_view>

namespace qs {

/// `text` with every letter folded by Unicode's simple case folding (one code point to one,
/// as the upcase table of such a volume maps names), in UTF-8: two names that fold to the
/// same text are one name there. Every script's letters fold, within and beyond the Basic
/// Multilingual Plane. Bytes that are not valid UTF-8 are kept as they are.
std::string FoldCase(std::string_view text);

}  // namespace qs
