// One name of an exclusion pattern, read once into what it matches: text, `?`, `*` and
// classes of characters.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qs {

/// A class of characters between brackets: `[abc]`, `[a-z]`, `[[:digit:]]`, and with a
/// leading `!` (or `^`) every character but those.
struct CharacterClass {
  std::vector<std::pair<char32_t, char32_t>> ranges;  ///< first and last, both included
  bool negated = false;

  bool Matches(char32_t c) const;
  /// The class as a volume that ignores case sees it: it takes every character whose folded
  /// form is the folded form of one of its own (so `[a-c]` takes `B`), to be matched against
  /// folded names.
  CharacterClass Folded() const;
};

/// The pattern of one name (no '/' in it):
/// - `*` matches any run of characters, `?` one character (not one byte);
/// - `[...]` one character of a class; a `]` right after the `[` (or `[!`) is one of its
///   characters, `-` between two characters makes a range, `[:alpha:]` and the other POSIX
///   names stand for their ASCII characters;
/// - `\` takes the next character as itself (where '\' separates names it never gets here).
class NameGlob {
 public:
  /// False, with the reason in `why`, when `text` cannot be read: a class that no `]` closes,
  /// an empty class, a range that runs backwards, an unknown class name, a `\` that ends the
  /// name, or `**` within a name.
  static bool Parse(std::string_view text, NameGlob* glob, std::string* why);

  bool Matches(std::string_view name) const;
  /// The same pattern matched against names folded as FoldCase folds them.
  NameGlob Folded() const;
  /// True when the pattern is nothing but the text `literal`.
  bool IsExactly(std::string_view literal) const;

 private:
  enum class Kind : uint8_t { kText, kOne, kAny, kClass };
  struct Token {
    Kind kind;
    std::string text;  ///< kText
    size_t set = 0;    ///< kClass: index into classes_
  };

  bool Parse(std::string_view text, std::string* why);
  /// Reads the class whose '[' is at `at`, leaving `at` after its ']'.
  bool ParseClass(std::string_view text, size_t* at, std::string* why);
  void AddText(std::string_view text);
  /// Whether the token matches at `at` in `name`, and how many bytes it takes.
  bool MatchesAt(const Token& token, std::string_view name, size_t at, size_t* length) const;

  std::vector<Token> tokens_;
  std::vector<CharacterClass> classes_;
};

}  // namespace qs
