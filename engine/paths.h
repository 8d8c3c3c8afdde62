// Path texts: parents and joins by the native separator, nothing else.
#pragma once

#include <string>

namespace qs {

/// Whether the path holds a separator at all.
bool HasParent(const std::string& path);

/// The text before the last separator; empty when the separator is the first character.
std::string ParentPath(const std::string& path);

}  // namespace qs
