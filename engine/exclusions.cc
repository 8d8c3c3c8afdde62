// Patterns are split into names once, each read into a NameGlob; a path is matched name by
// name, `**` by trying each number of folders it may stand for. Paths are short, so plain
// recursion is enough. The patterns are tried from the last, which decides.
#include "engine/exclusions.h"

#include <algorithm>

#include "engine/case_folding.h"
#include "os/file_system.h"

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

bool Refuse(std::string* why, const std::string& reason) {
  *why = reason;
  return false;
}

/// The line without the spaces that end it, unless a '\\' escapes the last of them.
std::string_view WithoutTrailingSpaces(std::string_view line) {
  while (!line.empty() && line.back() == ' ') {
    size_t escapes = 0;
    while (escapes + 1 < line.size() && line[line.size() - 2 - escapes] == '\\') ++escapes;
    if (kPathSeparator != '\\' && escapes % 2 == 1) break;
    line.remove_suffix(1);
  }
  return line;
}

}  // namespace

bool ExclusionPattern::Parse(std::string_view typed, ExclusionPattern* pattern, std::string* why) {
  ExclusionPattern parsed;
  if (typed.empty()) return Refuse(why, "an empty pattern names nothing");
  if (typed.find('\0') != std::string_view::npos) return Refuse(why, "a pattern holds no NUL");
  if (typed.front() == '!') {
    parsed.reincludes_ = true;
    typed.remove_prefix(1);
    if (typed.empty()) return Refuse(why, "a \"!\" alone takes nothing back in");
  }
  std::string separated(typed);
  if (kPathSeparator != '/') std::replace(separated.begin(), separated.end(), kPathSeparator, '/');
  std::string_view text = separated;
  if (text.back() == '/') {
    parsed.folders_only_ = true;
    text.remove_suffix(1);
  }
  if (!text.empty() && text.front() == '/') {
    parsed.anchored_ = true;
    text.remove_prefix(1);
  }
  if (text.empty()) return Refuse(why, "a pattern of slashes alone names nothing");
  if (!parsed.ParseNames(text, why)) return false;
  *pattern = std::move(parsed);
  return true;
}

bool ExclusionPattern::ParseNames(std::string_view text, std::string* why) {
  for (std::string_view name : Names(text)) {
    if (name.empty()) return Refuse(why, "two slashes in a row leave an empty name between them");
    Part part;
    part.anyFolders = name == "**";
    if (!part.anyFolders && !NameGlob::Parse(name, &part.name, why)) return false;
    if (part.name.IsExactly(".") || part.name.IsExactly(".."))
      return Refuse(why, "\".\" and \"..\" never stand in a path");
    parts_.push_back(std::move(part));
  }
  return true;
}

ExclusionPattern ExclusionPattern::Folded() const {
  ExclusionPattern folded = *this;
  for (Part& part : folded.parts_) part.name = part.name.Folded();
  return folded;
}

bool ExclusionPattern::MatchesFrom(const std::vector<std::string_view>& names, size_t part,
                                   size_t name) const {
  if (part == parts_.size()) return name == names.size();
  if (parts_[part].anyFolders) {
    for (size_t skipped = name; skipped <= names.size(); ++skipped)
      if (MatchesFrom(names, part + 1, skipped)) return true;
    return false;
  }
  return name < names.size() && parts_[part].name.Matches(names[name]) &&
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
  ExclusionPattern pattern;
  if (!ExclusionPattern::Parse(text, &pattern, why)) return false;
  folded_.push_back(pattern.Folded());
  patterns_.push_back(std::move(pattern));
  return true;
}

bool Exclusions::Excludes(std::string_view path, bool is_folder, bool fold_case) const {
  const std::string folded_path = fold_case ? FoldCase(path) : std::string();
  const std::string_view seen = fold_case ? std::string_view(folded_path) : path;
  const std::vector<ExclusionPattern>& patterns = fold_case ? folded_ : patterns_;
  // The last pattern that matches decides, so that a later `!` pattern takes back in.
  for (auto pattern = patterns.rbegin(); pattern != patterns.rend(); ++pattern)
    if (pattern->Matches(seen, is_folder)) return !pattern->Reincludes();
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
    line = WithoutTrailingSpaces(line);
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == '#') continue;
    std::string reason;
    if (!exclusions->Add(line, &reason)) {
      *why = "line " + std::to_string(number) + ": bad pattern \"" + std::string(line) +
             "\": " + reason;
      return false;
    }
  }
  return true;
}

}  // namespace qs
