// UTF-8 inside the program, UTF-16 at the system's calls: conversions that never guess. No
// text goes through the ANSI code page or a best-fit mapping, which would turn one name into
// another (Cyrillic into "??????", "ā" into "a").
#pragma once

#include <string>
#include <string_view>

namespace qs::win32 {

/// UTF-8 to UTF-16; false with ERROR_NO_UNICODE_TRANSLATION (1113) as this thread's last error
/// when `text` is not valid UTF-8.
bool Utf8ToWide(std::string_view text, std::wstring* wide);

/// UTF-16 to UTF-8. A lone surrogate, which NTFS names may hold, is written in its own
/// three-byte form: such a text never converts back, so a name that holds one fails with 1113
/// wherever it is used instead of being mistaken for another name.
std::string WideToUtf8(std::wstring_view wide);

/// For showing text only: UTF-8 to UTF-16 with U+FFFD for every byte that is not valid UTF-8.
std::wstring Utf8ToWideForDisplay(std::string_view text);

/// The first `count` UTF-16 units of `wide`, one less when the cut would split a surrogate
/// pair: a character is never halved.
std::wstring_view FirstUnits(std::wstring_view wide, size_t count);

}  // namespace qs::win32
