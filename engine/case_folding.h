// Names as a volume that ignores case sees them (FAT, exFAT, NTFS, many network shares).
#pragma once

#include <string>
#include <string_view>

namespace qs {

/// `text` with every letter in upper case, as such a volume compares names: ASCII, Latin-1,
/// Latin Extended-A, Greek, Cyrillic, Armenian and fullwidth Latin letters in UTF-8. Bytes
/// that are not valid UTF-8 are kept as they are.
std::string FoldCase(std::string_view text);

}  // namespace qs
