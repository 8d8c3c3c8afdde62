// Patterns are split into names once; a path is matched name by name, `**` by trying each
// number of folders it may stand for. Paths are short, so plain recursion is enough.
#include "engine/exclusions.h"

#include <algorithm>

#include "engine/case_folding.h"
#include "platform/file_system.h"

namespace qs {

namespace {

std::vector<std::string_view> Names(std::string_view path) {
  std::vector<std::string_view> names;
  for (size_t at = 0; at <= path.size();) {
    const size_t slash = path.find('/', at);
    const size_t end = slash == std::string_view::npos ? path.size() : slash;
    names.push_back(path.substr(at, end - at));
    at = end + 1;
  }
  return names;
}

/// The length of the UTF-8 character at `at` (1 for a byte that starts none).
size_t CharacterLength(std::string_view text, size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  if (at + length > text.size()) return 1;
  for (size_t i = 1; i < length; ++i)
    if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return 1;
  return length;
}

/// `*` and `?` within one name; the last `*` seen is tried again one character further on
/// each mismatch.
bool GlobName(std::string_view pattern, std::string_view name) {
  size_t p = 0, n = 0, star = std::string_view::npos, star_name = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      star_name = n;
    } else if (p < pattern.size() && pattern[p] == '?') {
      ++p;
      n += CharacterLength(name, n);
    } else if (p < pattern.size() && pattern[p] == name[n]) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      star_name += CharacterLength(name, star_name);
      n = star_name;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool Refuse(std::string* why, const std::string& reason) {
  *why = reason;
  return false;
}

}  // namespace

bool ExclusionPattern::Parse(std::string_view typed, ExclusionPattern* pattern, std::string* why) {
  ExclusionPattern parsed;
  std::string separated(typed);
  if (kPathSeparator != '/') std::replace(separated.begin(), separated.end(), kPathSeparator, '/');
  std::string_view text = separated;
  if (text.empty()) return Refuse(why, "an empty pattern names nothing");
  if (text.find('\0') != std::string_view::npos) return Refuse(why, "a pattern holds no NUL");
  if (text.back() == '/') {
    parsed.folders_only_ = true;
    text.remove_suffix(1);
  }
  if (!text.empty() && text.front() == '/') {
    parsed.anchored_ = true;
    text.remove_prefix(1);
  }
  if (text.empty()) return Refuse(why, "a pattern of slashes alone names nothing");
  for (std::string_view name : Names(text)) {
    if (name.empty()) return Refuse(why, "two slashes in a row leave an empty name between them");
    if (name == "." || name == "..") return Refuse(why, "\".\" and \"..\" never stand in a path");
    if (name != "**" && name.find("**") != std::string_view::npos)
      return Refuse(why, "\"**\" stands for whole folders: write it between slashes");
    parsed.parts_.emplace_back(name);
  }
  *pattern = std::move(parsed);
  return true;
}

bool ExclusionPattern::MatchesFrom(const std::vector<std::string_view>& names, size_t part,
                                   size_t name) const {
  if (part == parts_.size()) return name == names.size();
  if (parts_[part] == "**") {
    for (size_t skipped = name; skipped <= names.size(); ++skipped)
      if (MatchesFrom(names, part + 1, skipped)) return true;
    return false;
  }
  return name < names.size() && GlobName(parts_[part], names[name]) &&
         MatchesFrom(names, part + 1, name + 1);
}

bool ExclusionPattern::Matches(std::string_view path, bool is_folder) const {
  if (folders_only_ && !is_folder) return false;
  const std::vector<std::string_view> names = Names(path);
  if (anchored_) return MatchesFrom(names, 0, 0);
  for (size_t start = 0; start < names.size(); ++start)
    if (MatchesFrom(names, 0, start)) return true;
  return false;
}

bool Exclusions::Add(std::string_view text, std::string* why) {
  ExclusionPattern pattern, folded;
  if (!ExclusionPattern::Parse(text, &pattern, why)) return false;
  if (!ExclusionPattern::Parse(FoldCase(text), &folded, why)) return false;
  patterns_.push_back(std::move(pattern));
  folded_.push_back(std::move(folded));
  return true;
}

bool Exclusions::Excludes(std::string_view path, bool is_folder, bool fold_case) const {
  const std::string folded_path = fold_case ? FoldCase(path) : std::string();
  const std::string_view seen = fold_case ? std::string_view(folded_path) : path;
  for (const ExclusionPattern& pattern : fold_case ? folded_ : patterns_)
    if (pattern.Matches(seen, is_folder)) return true;
  return false;
}

bool AddExclusionLines(std::string_view text, Exclusions* exclusions, std::string* why) {
  // A byte order mark (Notepad writes one) would otherwise stick to the first pattern.
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
    text.remove_prefix(kByteOrderMark.size());
  size_t number = 0;
  for (size_t at = 0; at < text.size();) {
    const size_t end = std::min(text.find('\n', at), text.size());
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == '#') continue;
    std::string reason;
    if (!exclusions->Add(line, &reason)) {
      *why = "line " + std::to_string(number) + ": " + reason;
      return false;
    }
  }
  return true;
}

}  // namespace qs
