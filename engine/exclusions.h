// What a backup leaves out besides "oh_modules": patterns over the path below the source root.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/name_glob.h"

namespace qs {

/// One pattern. It is matched against the path below the source root, with '/' between
/// names on every system:
/// - within one name, `*` matches any run of characters, `?` one character and `[...]` one
///   character of a class (`[abc]`, `[a-z]`, `[!abc]`; see NameGlob);
/// - `**` as a whole name matches any number of folders, none included;
/// - a leading `/` anchors the pattern at the root; without it, it may match the path's last
///   names at any depth (`*.tmp` leaves out every .tmp file);
/// - a trailing `/` matches folders only;
/// - a leading `!` makes it a pattern that takes back in what an earlier one left out;
/// - `\` takes the next character as itself (`\*`, `\!`), where '\' is no separator.
/// Where the system writes paths with another separator ('\' on Windows), that one is taken
/// for '/' too, so that a pattern typed either way names the same.
class ExclusionPattern {
 public:
  /// False, with the reason in `why`, when `text` is not a pattern.
  static bool Parse(std::string_view text, ExclusionPattern* pattern, std::string* why);

  /// `path` below the root with '/' between names, and whether it names a folder.
  bool Matches(std::string_view path, bool is_folder) const;
  /// True for a `!` pattern: what it matches is backed up after all.
  bool Reincludes() const { return reincludes_; }
  /// The same pattern matched against paths folded as FoldCase folds them.
  ExclusionPattern Folded() const;

 private:
  struct Part {
    bool anyFolders = false;  ///< "**"
    NameGlob name;
  };
  bool ParseNames(std::string_view text, std::string* why);
  bool MatchesFrom(const std::vector<std::string_view>& names, size_t part, size_t name) const;

  std::vector<Part> parts_;
  bool anchored_ = false;
  bool folders_only_ = false;
  bool reincludes_ = false;
};

/// Every pattern of one backup, in the order given. Empty by default: then nothing is left out.
class Exclusions {
 public:
  /// False, with the reason, when `text` is not a pattern; nothing is added then.
  bool Add(std::string_view text, std::string* why);
  bool empty() const { return patterns_.empty(); }
  /// True when the last pattern that matches leaves the path out (none that matches: false).
  /// `fold_case` for a source whose volume ignores case: then `*.TMP` names notes.tmp too, as
  /// the system's own tools would have it.
  bool Excludes(std::string_view path, bool is_folder, bool fold_case = false) const;

 private:
  std::vector<ExclusionPattern> patterns_;
  std::vector<ExclusionPattern> folded_;  ///< the same patterns, case folded
};

/// Reads patterns from a file's text: one a line; blank lines and lines whose first
/// non-blank character is '#' are left out, and so are a CR at the end of a line, the spaces
/// that end it unless a '\' escapes the last of them (where '\' is no separator), and a
/// UTF-8 byte order mark at the start of the text. False, with the line's number, the
/// pattern and the reason in `why`, at the first line that is not a pattern.
bool AddExclusionLines(std::string_view text, Exclusions* exclusions, std::string* why);

}  // namespace qs
