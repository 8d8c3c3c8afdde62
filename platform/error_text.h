// An error code of the system with the system's words for it.
#pragma once

#include <cstdint>
#include <string>

namespace qs {

/// "Error: 2 (No such file or directory)": errno's words on POSIX, FormatMessage's on Windows
/// (without its closing full stop).
std::string ErrorCodeText(uint32_t code);

}  // namespace qs
