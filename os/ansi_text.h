// Text that older builds wrote in the system's ANSI code page (Windows 1252 on a Western
// Windows, 1251 on a Russian one...).
#pragma once

#include <string>

namespace qs {

/// `text` read in the system's ANSI code page, as UTF-8. On POSIX, which has no such code
/// page, the text as it is.
std::string SystemAnsiToUtf8(const std::string& text);

}  // namespace qs
