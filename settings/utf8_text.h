// Telling UTF-8 text from text in an older 8-bit code page.
#pragma once

#include <string_view>

namespace qs {

/// True when `text` is well-formed UTF-8: no stray continuation bytes, no overlong forms, no
/// surrogates, nothing beyond U+10FFFF. ASCII text is UTF-8.
bool IsValidUtf8(std::string_view text);

}  // namespace qs
