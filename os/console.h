// The console the runner writes its log to.
#pragma once

#include <ostream>

namespace qs {

/// True when standard output is a terminal, where a person watches each line appear.
bool StandardOutputIsTerminal();
/// True when standard error is a terminal, where a line of progress can be kept up to date.
bool StandardErrorIsTerminal();
/// True when standard output and standard error show on one terminal, so that a line kept up
/// to date on one has to make room for each line of the other.
bool StandardStreamsShareTerminal();
/// The width in columns of the terminal standard error shows on, as it is now (it follows a
/// resize); 0 when standard error is no terminal or the terminal does not tell.
int StandardErrorColumns();

/// Standard output for UTF-8 text. Into a file or a pipe the bytes go as they are; on a
/// Windows console the text goes as characters, so that every name reads right whatever the
/// console's code page.
std::ostream& StandardOutput();

/// Standard error, as StandardOutput.
std::ostream& StandardError();

}  // namespace qs
