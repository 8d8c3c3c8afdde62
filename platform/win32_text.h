// The program's UTF-8 texts to and from the UTF-16 texts of the W calls. UTF-8 maps every
// character both ways, so nothing goes through a best-fit mapping onto a look-alike.
#pragma once

#include <string>
#include <string_view>

namespace qs::win32 {

/// The UTF-16 form of `utf8`. A byte sequence that is not UTF-8 becomes U+FFFD, so a broken
/// text is shown as broken rather than as other characters.
std::wstring WideFromUtf8(std::string_view utf8);

/// The UTF-8 form of `wide`. A lone surrogate becomes U+FFFD.
std::string Utf8FromWide(std::wstring_view wide);

/// The first `count` UTF-16 units of `wide`, one less when the cut would split a surrogate
/// pair: a character is never halved.
std::wstring_view FirstUnits(std::wstring_view wide, size_t count);

}  // namespace qs::win32
