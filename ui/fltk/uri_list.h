// What the file manager hands over when files are dropped: a text/uri-list, one URI a line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qs::fltk {

/// The local paths of a dropped text/uri-list: "file://" URIs (an empty or "localhost" host)
/// with their %XX escapes decoded, and plain absolute paths as some programs send them. Lines
/// end in CR LF or LF; comment lines ("#...") and URIs of any other scheme are left out.
std::vector<std::string> PathsFromUriList(std::string_view text);

}  // namespace qs::fltk
