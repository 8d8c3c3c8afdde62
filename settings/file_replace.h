// How the settings files are written: whole or not at all, and a failure says why.
#pragma once

#include <string>

namespace qs {

/// Writes `content` as the whole file at `path` (UTF-8): a temporary file beside it, renamed
/// over it. False when it could not be written, with the system's words for why in `*why`
/// (when given); the temporary file is then gone and the file as it was.
bool ReplaceFileWith(const std::string& path, const std::string& content, std::string* why);

/// The backup log's entry for a settings file that could not be saved to `path` for `why`.
std::string NotSavedText(const std::string& path, const std::string& why);

}  // namespace qs
