// Read once per pattern, matched for every entry of every scan. The last `*` seen is tried
// again one character further on each mismatch; every other token can match in one way only
// where it stands, so that is all the backtracking needed.
#include "engine/name_glob.h"

#include <algorithm>

#include "engine/case_folding.h"

namespace qs {

namespace {

using Ranges = std::vector<std::pair<char32_t, char32_t>>;

/// The POSIX class names, each with its ASCII ranges as pairs of first and last character.
struct NamedClass {
  std::string_view name;
  std::string_view ranges;
};
constexpr NamedClass kNamedClasses[] = {
    {"alnum", "09AZaz"},   {"alpha", "AZaz"},   {"blank", "  \t\t"}, {"cntrl", "\x01\x1F\x7F\x7F"},
    {"digit", "09"},       {"graph", "!~"},     {"lower", "az"},     {"print", " ~"},
    {"punct", "!/:@[`{~"}, {"space", "\t\r  "}, {"upper", "AZ"},     {"xdigit", "09AFaf"},
};

bool Refuse(std::string* why, const std::string& reason) {
  *why = reason;
  return false;
}

/// What to say of the class opened at the start of `open` that nothing closes; `first` is
/// where its characters start.
std::string Unclosed(std::string_view open, size_t first) {
  if (first < open.size() && open[first] == ']' && open.size() == first + 1)
    return "\"" + std::string(open) +
           "\" is an empty class: it matches no character (for a \"]\" " + "write \"[]]\")";
  return "a \"[\" opens a class of characters that no \"]\" closes";
}

/// One character of a class, a `\` taking the next as itself; false at the end of the text.
bool ReadClassCharacter(std::string_view text, size_t* at, char32_t* c) {
  if (*at < text.size() && text[*at] == '\\') ++*at;
  if (*at >= text.size()) return false;
  size_t length;
  *c = CharacterAt(text, *at, &length);
  *at += length;
  return true;
}

/// `[:name:]` at `at` when a ":]" follows: its ranges, or the reason it is unknown.
bool ReadNamedClass(std::string_view text, size_t* at, Ranges* ranges, std::string* why) {
  const size_t end = text.find(":]", *at + 2);
  const std::string_view name = text.substr(*at + 2, end - *at - 2);
  for (const NamedClass& named : kNamedClasses) {
    if (named.name != name) continue;
    for (size_t i = 0; i + 1 < named.ranges.size(); i += 2)
      ranges->emplace_back(static_cast<unsigned char>(named.ranges[i]),
                           static_cast<unsigned char>(named.ranges[i + 1]));
    *at = end + 2;
    return true;
  }
  return Refuse(why, "\"[:" + std::string(name) +
                         ":]\" names no class of characters (alnum, alpha, blank, cntrl, digit, "
                         "graph, lower, print, punct, space, upper, xdigit)");
}

/// One character, one range or one named class of the class being read.
bool ReadClassItem(std::string_view text, size_t* at, Ranges* ranges, std::string* why) {
  if (text.substr(*at, 2) == "[:" && text.find(":]", *at + 2) != std::string_view::npos)
    return ReadNamedClass(text, at, ranges, why);
  const size_t start = *at;
  char32_t low, high;
  if (!ReadClassCharacter(text, at, &low)) return Refuse(why, Unclosed("[", 1));
  high = low;
  if (*at + 1 < text.size() && text[*at] == '-' && text[*at + 1] != ']') {
    ++*at;
    if (!ReadClassCharacter(text, at, &high)) return Refuse(why, Unclosed("[", 1));
    if (high < low)
      return Refuse(why, "the range \"" + std::string(text.substr(start, *at - start)) +
                             "\" runs backwards: write its first character first");
  }
  ranges->emplace_back(low, high);
  return true;
}

}  // namespace

bool CharacterClass::Matches(char32_t c) const {
  const bool in = std::any_of(ranges.begin(), ranges.end(), [c](const auto& range) {
    return range.first <= c && c <= range.second;
  });
  return in != negated;
}

CharacterClass CharacterClass::Folded() const {
  CharacterClass folded = *this;
  for (const auto& [first, last] : ranges)
    ForEachFoldingCharacter(first, last,
                            [&](char32_t, char32_t to) { folded.ranges.emplace_back(to, to); });
  return folded;
}

bool NameGlob::Parse(std::string_view text, NameGlob* glob, std::string* why) {
  NameGlob parsed;
  if (!parsed.Parse(text, why)) return false;
  *glob = std::move(parsed);
  return true;
}

bool NameGlob::Parse(std::string_view text, std::string* why) {
  for (size_t at = 0; at < text.size();) {
    const char c = text[at];
    if (c == '*' && at + 1 < text.size() && text[at + 1] == '*')
      return Refuse(why, "\"**\" stands for whole folders: write it between slashes");
    if (c == '*' || c == '?') {
      tokens_.push_back({c == '*' ? Kind::kAny : Kind::kOne, "", 0});
      ++at;
      continue;
    }
    if (c == '[') {
      if (!ParseClass(text, &at, why)) return false;
      continue;
    }
    if (c == '\\' && ++at == text.size())
      return Refuse(why, "a \"\\\" at the end of a name escapes nothing");
    size_t length;
    CharacterAt(text, at, &length);
    AddText(text.substr(at, length));
    at += length;
  }
  return true;
}

bool NameGlob::ParseClass(std::string_view text, size_t* at, std::string* why) {
  const size_t open = *at;
  CharacterClass set;
  size_t i = open + 1;
  if (i < text.size() && (text[i] == '!' || text[i] == '^')) {
    set.negated = true;
    ++i;
  }
  // A ']' first is one of the characters, as in every shell.
  const size_t first = i;
  while (i < text.size() && (text[i] != ']' || i == first))
    if (!ReadClassItem(text, &i, &set.ranges, why)) return false;
  if (i >= text.size()) return Refuse(why, Unclosed(text.substr(open), first - open));
  *at = i + 1;
  classes_.push_back(std::move(set));
  tokens_.push_back({Kind::kClass, "", classes_.size() - 1});
  return true;
}

void NameGlob::AddText(std::string_view text) {
  if (tokens_.empty() || tokens_.back().kind != Kind::kText)
    tokens_.push_back({Kind::kText, "", 0});
  tokens_.back().text.append(text);
}

bool NameGlob::MatchesAt(const Token& token, std::string_view name, size_t at,
                         size_t* length) const {
  switch (token.kind) {
    case Kind::kText:
      *length = token.text.size();
      return name.substr(at, token.text.size()) == token.text;
    case Kind::kOne:
      CharacterAt(name, at, length);
      return true;
    case Kind::kClass:
      return classes_[token.set].Matches(CharacterAt(name, at, length));
    case Kind::kAny:
      break;
  }
  return false;
}

bool NameGlob::Matches(std::string_view name) const {
  size_t t = 0, n = 0, star = std::string_view::npos, star_name = 0, length = 0;
  while (n < name.size()) {
    if (t < tokens_.size() && tokens_[t].kind == Kind::kAny) {
      star = t++;
      star_name = n;
    } else if (t < tokens_.size() && MatchesAt(tokens_[t], name, n, &length)) {
      ++t;
      n += length;
    } else if (star != std::string_view::npos) {
      t = star + 1;
      CharacterAt(name, star_name, &length);
      n = star_name += length;
    } else {
      return false;
    }
  }
  while (t < tokens_.size() && tokens_[t].kind == Kind::kAny) ++t;
  return t == tokens_.size();
}

NameGlob NameGlob::Folded() const {
  NameGlob folded = *this;
  for (Token& token : folded.tokens_)
    if (token.kind == Kind::kText) token.text = FoldCase(token.text);
  for (CharacterClass& set : folded.classes_) set = set.Folded();
  return folded;
}

bool NameGlob::IsExactly(std::string_view literal) const {
  return tokens_.size() == 1 && tokens_[0].kind == Kind::kText && tokens_[0].text == literal;
}

}  // namespace qs
