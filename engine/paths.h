// Path texts: parents and joins by the native separator, nothing else.
#pragma once

#include <string>

namespace qs {

/// Whether the path holds a separator at all.
bool HasParent(const std::string& path);

/// The text before the last separator; empty when the separator is the first character.
std::string ParentPath(const std::string& path);

/// Whether the path starts at a root ("/", "\\", a drive "C:" on Windows) rather than
/// below a folder.
bool IsAbsolutePath(const std::string& path);

/// One separator added unless the path is empty or already ends with one.
std::string WithTrailingSeparator(const std::string& path);

/// The path without its last character when that is a separator (a lone separator stays).
std::string WithoutTrailingSeparator(const std::string& path);

}  // namespace qs
