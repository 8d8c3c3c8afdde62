// The console the runner writes its log to.
#pragma once

#include <ostream>

namespace qs {

/// True when standard output is a terminal, where a person watches each line appear.
bool StandardOutputIsTerminal();
/// True when standard error is a terminal, where a line of progress can be kept up to date.
bool StandardErrorIsTerminal();

/// Standard output for UTF-8 text. Into a file or a pipe the bytes go as they are; on a
/// Windows console the text goes as characters, so that every name reads right whatever the
/// console's code page.
std::ostream& StandardOutput();

/// Standard error, as StandardOutput.
std::ostream& StandardError();

}  // namespace qs
