// The system's words for an error code, so that a log line says what went wrong and not only
// a number to look up.
#pragma once

#include <cstdint>
#include <string>

namespace qs {

/// The system's message for `code` (errno on POSIX, a Win32 code on Windows) in UTF-8, without
/// a final full stop or line end; empty when the system has none.
std::string SystemErrorWords(uint32_t code);

/// "Error: " + code + " (" + the system's words + ")", or "Error: " + code alone when the
/// system has no words for it: what every log line that carries a code ends with.
std::string ErrorCodeText(uint32_t code);

}  // namespace qs
