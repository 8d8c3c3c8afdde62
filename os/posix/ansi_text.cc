// POSIX names are bytes: nothing was ever written in another code page by this program.
#include "os/ansi_text.h"

namespace qs {

std::string SystemAnsiToUtf8(const std::string& text) { return text; }

}  // namespace qs
