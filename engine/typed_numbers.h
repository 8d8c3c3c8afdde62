// Numbers as a person types them into an option or a field: read whole or refused, so that
// "12x" or "-3" is never taken for something else.
#pragma once

#include <string>

namespace qs {

/// A count of up to seven digits.
bool ParseCount(const std::string& text, int* value);

/// A whole percentage from 1 to 100.
bool ParsePercent(const std::string& text, int* percent);

}  // namespace qs
