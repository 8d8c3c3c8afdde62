// Each line is "key=value"; blanks around either are allowed on reading. The known keys are
// found by name, so a file written by another build reads the same whatever its order.
#include "settings/preferences_file.h"

#include <array>
#include <filesystem>
#include <fstream>

#include "settings/file_replace.h"

namespace qs {

const char kPreferencesFileName[] = "backup_preferences.txt";

namespace {

// Anything longer is not a preferences file; reading stops there.
constexpr std::streamsize kMaxPreferencesBytes = 1 << 20;

struct Key {
  const char* name;
  bool Preferences::*value;
};

constexpr std::array<Key, 2> kKeys = {{
    {"backup_when_closed", &Preferences::backupWhenClosed},
    {"notify_on_success", &Preferences::notifyOnSuccess},
}};

/// A path from a UTF-8 text (on Windows a narrow path would go through the ANSI code page).
std::filesystem::path PathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

/// The key of a "key=value" line, or "" for any other line.
std::string KeyOf(const std::string& line) {
  const size_t equals = line.find('=');
  return equals == std::string::npos ? "" : Trimmed(line.substr(0, equals));
}

/// False when `text` is not a truth value this build reads.
bool ParseFlag(const std::string& text, bool* flag) {
  for (const char* yes : {"1", "true", "yes", "on"})
    if (text == yes) return *flag = true, true;
  for (const char* no : {"0", "false", "no", "off"})
    if (text == no) return *flag = false, true;
  return false;
}

std::vector<std::string> SplitLines(const std::string& content) {
  std::vector<std::string> lines;
  // An editor's byte-order mark is not part of the first key.
  size_t at = content.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (at < content.size()) {
    size_t end = content.find('\n', at);
    if (end == std::string::npos) end = content.size();
    std::string line = content.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    at = end + 1;
  }
  return lines;
}

}  // namespace

Preferences ParsePreferences(const std::string& content) {
  Preferences preferences;
  preferences.lines = SplitLines(content);
  for (const std::string& line : preferences.lines) {
    const std::string key = KeyOf(line);
    for (const Key& known : kKeys)
      if (key == known.name)
        ParseFlag(Trimmed(line.substr(line.find('=') + 1)), &(preferences.*known.value));
  }
  return preferences;
}

std::string FormatPreferences(const Preferences& preferences) {
  std::array<bool, kKeys.size()> written{};
  std::string content;
  const auto write = [&](size_t index) {
    content += std::string(kKeys[index].name) + "=" +
               (preferences.*kKeys[index].value ? "1" : "0") + "\r\n";
    written[index] = true;
  };
  for (const std::string& line : preferences.lines) {
    const std::string key = KeyOf(line);
    size_t index = 0;
    while (index < kKeys.size() && key != kKeys[index].name) ++index;
    if (index == kKeys.size()) {
      content += line + "\r\n";
    } else if (!written[index]) {
      write(index);
    }
  }
  for (size_t index = 0; index < kKeys.size(); ++index)
    if (!written[index]) write(index);
  return content;
}

Preferences LoadPreferences(const std::string& path) {
  std::ifstream file(PathOf(path), std::ios::binary);
  if (!file) return Preferences();
  std::string content(static_cast<size_t>(kMaxPreferencesBytes), '\0');
  file.read(content.data(), kMaxPreferencesBytes);
  if (file.bad()) return Preferences();
  content.resize(static_cast<size_t>(file.gcount()));
  return ParsePreferences(content);
}

bool SavePreferences(const Preferences& preferences, const std::string& path, std::string* why) {
  return ReplaceFileWith(path, FormatPreferences(preferences), why);
}

}  // namespace qs
