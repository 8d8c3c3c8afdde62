// What a backup leaves out besides "oh_modules": patterns over the path below the source root.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qs {

/// One pattern. It is matched against the path below the source root, with '/' between
/// names on every system:
/// - `*` matches any run of characters within one name, `?` one character;
/// - `**` as a whole name matches any number of folders, none included;
/// - a leading `/` anchors the pattern at the root; without it, it may match the path's last
///   names at any depth (`*.tmp` leaves out every .tmp file);
/// - a trailing `/` matches folders only.
/// Where the system writes paths with another separator ('\\' on Windows), that one is taken
/// for '/' too, so that a pattern typed either way names the same.
class ExclusionPattern {
 public:
  /// False, with the reason in `why`, when `text` is not a pattern.
  static bool Parse(std::string_view text, ExclusionPattern* pattern, std::string* why);

  /// `path` below the root with '/' between names, and whether it names a folder.
  bool Matches(std::string_view path, bool is_folder) const;

 private:
  bool MatchesFrom(const std::vector<std::string_view>& names, size_t part, size_t name) const;

  std::vector<std::string> parts_;  ///< names and "**"
  bool anchored_ = false;
  bool folders_only_ = false;
};

/// Every pattern of one backup. Empty by default: then nothing is left out.
class Exclusions {
 public:
  /// False, with the reason, when `text` is not a pattern; nothing is added then.
  bool Add(std::string_view text, std::string* why);
  bool empty() const { return patterns_.empty(); }
  /// True when any pattern matches. `fold_case` for a source whose volume ignores case:
  /// then `*.TMP` names notes.tmp too, as the system's own tools would have it.
  bool Excludes(std::string_view path, bool is_folder, bool fold_case = false) const;

 private:
  std::vector<ExclusionPattern> patterns_;
  std::vector<ExclusionPattern> folded_;  ///< the same patterns, case folded
};

/// Reads patterns from a file's text: one a line; blank lines and lines whose first
/// non-blank character is '#' are left out, and so are a CR at the end of a line and a UTF-8
/// byte order mark at the start of the text. False, with the line's number and reason in
/// `why`, at the first line that is not a pattern.
bool AddExclusionLines(std::string_view text, Exclusions* exclusions, std::string* why);

}  // namespace qs
