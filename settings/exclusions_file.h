// "backup_excludes.txt": the patterns every backup of the settings leaves out, one a line, in
// the runner's --exclude syntax, kept beside backup_config.dat. This file reads and writes
// the text; what a line means is the engine's to say.
#pragma once

#include <string>
#include <vector>

namespace qs {

extern const char kExclusionsFileName[];

/// backup_excludes.txt in the folder of `settings_path` (the working folder for a bare name).
std::string ExclusionsPathBeside(const std::string& settings_path);

/// The file's text; a missing file is an empty one. False, with one sentence naming the file
/// and the reason in `why`, when it exists but cannot be read.
bool LoadExclusionsText(const std::string& path, std::string* text, std::string* why);

/// The lines of `text` that hold a pattern, as the engine reads them: blank lines and '#'
/// comments left out, a byte order mark and a CR at a line's end dropped.
std::vector<std::string> PatternLines(const std::string& text);

/// Writes the patterns one a line, whole or not at all (a temporary file renamed over the
/// old one, which a failure leaves as it was). False, with one sentence naming the file and
/// the reason in `why`, when it could not be written.
bool SaveExclusions(const std::vector<std::string>& patterns, const std::string& path,
                    std::string* why);

}  // namespace qs
