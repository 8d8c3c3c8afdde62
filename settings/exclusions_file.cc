// Read and written with the standard library, as the other settings files are; the reasons
// come from the system's error codes.
#include "settings/exclusions_file.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>
#include <system_error>

#include "settings/file_replace.h"

namespace qs {

const char kExclusionsFileName[] = "backup_excludes.txt";

namespace {

/// A path from a UTF-8 text (on Windows a narrow path would go through the ANSI code page).
std::filesystem::path PathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Of(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::string ReasonOf(int code) { return std::error_code(code, std::generic_category()).message(); }

bool Refuse(std::string* why, const std::string& sentence) {
  *why = sentence;
  return false;
}

}  // namespace

std::string ExclusionsPathBeside(const std::string& settings_path) {
  const std::filesystem::path folder = PathOf(settings_path).parent_path();
  if (folder.empty()) return kExclusionsFileName;
  return Utf8Of(folder / kExclusionsFileName);
}

bool LoadExclusionsText(const std::string& path, std::string* text, std::string* why) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(PathOf(path), error);
  text->clear();
  if (status.type() == std::filesystem::file_type::not_found) return true;
  if (error)
    return Refuse(why, "The exclusions file " + path + " cannot be read: " + error.message() + ".");
  if (status.type() != std::filesystem::file_type::regular)
    return Refuse(why, "The exclusions file " + path + " cannot be read: it is not a file.");
  errno = 0;
  std::ifstream file(PathOf(path), std::ios::binary);
  if (!file)
    return Refuse(why, "The exclusions file " + path + " cannot be read: " + ReasonOf(errno) + ".");
  std::ostringstream content;
  content << file.rdbuf();
  if (file.bad())
    return Refuse(why, "The exclusions file " + path + " cannot be read: a read failed.");
  *text = content.str();
  return true;
}

std::vector<std::string> PatternLines(const std::string& text) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  std::string_view rest = text;
  if (rest.substr(0, kByteOrderMark.size()) == kByteOrderMark)
    rest.remove_prefix(kByteOrderMark.size());
  std::vector<std::string> lines;
  while (!rest.empty()) {
    const size_t end = std::min(rest.find('\n'), rest.size());
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == '#') continue;
    lines.emplace_back(line);
  }
  return lines;
}

bool SaveExclusions(const std::vector<std::string>& patterns, const std::string& path,
                    std::string* why) {
  std::string content;
  for (const std::string& pattern : patterns) content += pattern + '\n';
  std::string reason;
  if (ReplaceFileWith(path, content, &reason)) return true;
  return Refuse(why, "The exclusions could not be saved to " + path + ": " + reason + ".");
}

}  // namespace qs
