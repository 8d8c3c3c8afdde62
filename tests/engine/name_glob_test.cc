// One name's pattern: classes of characters, escapes, and what cannot be read.
#include "engine/name_glob.h"

#include <gtest/gtest.h>

#include "engine/case_folding.h"

namespace qs {
namespace {

bool Matches(const std::string& pattern, const std::string& name) {
  NameGlob glob;
  std::string why;
  EXPECT_TRUE(NameGlob::Parse(pattern, &glob, &why)) << pattern << ": " << why;
  return glob.Matches(name);
}

/// Whether the pattern matches the name as a volume that ignores case compares them.
bool MatchesFolded(const std::string& pattern, const std::string& name) {
  NameGlob glob;
  std::string why;
  EXPECT_TRUE(NameGlob::Parse(pattern, &glob, &why)) << pattern << ": " << why;
  return glob.Folded().Matches(FoldCase(name));
}

std::string Refusal(const std::string& pattern) {
  NameGlob glob;
  std::string why;
  EXPECT_FALSE(NameGlob::Parse(pattern, &glob, &why)) << pattern;
  return why;
}

TEST(NameGlobTest, AClassMatchesOneCharacterOfIt) {
  EXPECT_TRUE(Matches("file[12].txt", "file1.txt"));
  EXPECT_TRUE(Matches("file[12].txt", "file2.txt"));
  EXPECT_FALSE(Matches("file[12].txt", "file3.txt"));
  EXPECT_FALSE(Matches("file[12].txt", "file12.txt"));  // one character, not a run
  EXPECT_FALSE(Matches("file[12].txt", "file[12].txt"));
  EXPECT_TRUE(Matches("[a-c]x", "bx"));
  EXPECT_FALSE(Matches("[a-c]x", "dx"));
  EXPECT_TRUE(Matches("v[0-9][0-9]", "v42"));
  EXPECT_TRUE(Matches("[a-cx-z]", "y"));
  EXPECT_FALSE(Matches("[a-cx-z]", "m"));
}

TEST(NameGlobTest, ANegatedClassMatchesEveryOtherCharacter) {
  EXPECT_FALSE(Matches("[!abc].log", "a.log"));
  EXPECT_TRUE(Matches("[!abc].log", "d.log"));
  EXPECT_TRUE(Matches("[^abc].log", "d.log"));  // as git and rsync read it too
  EXPECT_FALSE(Matches("[^abc].log", "b.log"));
  EXPECT_FALSE(Matches("[!abc].log", ".log"));  // it still takes a character
  EXPECT_TRUE(Matches("[!a-z]*", "1st"));
  EXPECT_FALSE(Matches("[!a-z]*", "first"));
}

TEST(NameGlobTest, BracketsDashesAndNamesInsideAClass) {
  EXPECT_TRUE(Matches("[]]", "]"));  // a ']' first is one of the characters
  EXPECT_TRUE(Matches("[]a]", "a"));
  EXPECT_TRUE(Matches("[!]]", "x"));
  EXPECT_FALSE(Matches("[!]]", "]"));
  EXPECT_TRUE(Matches("[-a]", "-"));  // a '-' first or last is itself
  EXPECT_TRUE(Matches("[a-]", "-"));
  EXPECT_FALSE(Matches("[a-]", "b"));
  EXPECT_TRUE(Matches("[[:digit:]]x", "7x"));
  EXPECT_FALSE(Matches("[[:digit:]]x", "ax"));
  EXPECT_TRUE(Matches("[[:upper:][:digit:]_]", "_"));
  EXPECT_TRUE(Matches("[[:space:]]", "\t"));
  EXPECT_TRUE(Matches("[[:punct:]]", "~"));
  EXPECT_FALSE(Matches("[[:alnum:]]", "-"));
  EXPECT_TRUE(Matches("[[]", "["));  // no ":]" follows: an ordinary '['
}

TEST(NameGlobTest, AClassTakesWholeCharactersInAnyScript) {
  EXPECT_TRUE(Matches("[ёж].txt", "ж.txt"));
  EXPECT_FALSE(Matches("[ёж].txt", "з.txt"));
  EXPECT_TRUE(Matches("[а-я]", "п"));
  EXPECT_TRUE(Matches("[!а-я]x", "😀x"));
  EXPECT_FALSE(Matches("[😀😁]", "\xF0\x9F"));  // a cut-off character is no character of it
  // A byte that starts no character stands for itself.
  EXPECT_TRUE(Matches("caf[\xE9]", "caf\xE9"));
  EXPECT_FALSE(Matches("caf[\xE9]", "café"));
}

TEST(NameGlobTest, ABackslashTakesTheNextCharacterAsItself) {
  EXPECT_TRUE(Matches("star\\*.txt", "star*.txt"));
  EXPECT_FALSE(Matches("star\\*.txt", "starry.txt"));
  EXPECT_TRUE(Matches("what\\?", "what?"));
  EXPECT_FALSE(Matches("what\\?", "whats"));
  EXPECT_TRUE(Matches("\\[draft\\]*", "[draft] notes"));
  EXPECT_FALSE(Matches("\\[draft\\]*", "d notes"));
  EXPECT_TRUE(Matches("back\\\\slash", "back\\slash"));
  EXPECT_TRUE(Matches("\\!keep", "!keep"));
  EXPECT_TRUE(Matches("\\#1", "#1"));
  EXPECT_TRUE(Matches("\\a\\b", "ab"));  // any character, special or not
  EXPECT_TRUE(Matches("[\\]a]", "]"));   // within a class too
  EXPECT_TRUE(Matches("[a\\-z]", "-"));
  EXPECT_FALSE(Matches("[a\\-z]", "m"));
  EXPECT_TRUE(Matches("\\*\\*", "**"));  // two stars written as themselves are a name
  EXPECT_TRUE(Matches("\\**", "*anything"));
}

TEST(NameGlobTest, StarsAndQuestionMarksAroundClasses) {
  EXPECT_TRUE(Matches("*[0-9]", "take 2"));
  EXPECT_FALSE(Matches("*[0-9]", "take two"));
  EXPECT_TRUE(Matches("*[0-9]*[0-9]", "a1b2"));
  EXPECT_FALSE(Matches("*[0-9]*[0-9]", "a1b"));
  EXPECT_TRUE(Matches("?[a-z]?", "1b2"));
  EXPECT_TRUE(Matches("*.[ch]", "main.c"));
  EXPECT_TRUE(Matches("*.[ch]", "x.y.h"));
  EXPECT_FALSE(Matches("*.[ch]", "main.cc"));
}

TEST(NameGlobTest, OnAVolumeThatIgnoresCaseAClassTakesEitherCase) {
  EXPECT_TRUE(MatchesFolded("[a-c]", "B"));
  EXPECT_TRUE(MatchesFolded("[A-C]", "b"));
  EXPECT_FALSE(MatchesFolded("[a-c]", "D"));
  EXPECT_FALSE(MatchesFolded("[!a-c]", "B"));
  EXPECT_TRUE(MatchesFolded("[!a-c]", "d"));
  EXPECT_TRUE(MatchesFolded("[[:lower:]]x", "QX"));
  EXPECT_TRUE(MatchesFolded("[а-я].txt", "Ж.TXT"));
  EXPECT_TRUE(MatchesFolded("[Z-a]", "z"));  // Z [ \ ] ^ _ ` a: z folds onto Z
  EXPECT_TRUE(MatchesFolded("[Z-a]", "A"));
  EXPECT_FALSE(MatchesFolded("[Z-a]", "b"));
  EXPECT_TRUE(MatchesFolded("[_]", "_"));
  // Where case counts, it counts.
  EXPECT_FALSE(Matches("[a-c]", "B"));
  EXPECT_FALSE(Matches("[[:lower:]]", "Q"));
}

TEST(NameGlobTest, WhatCannotBeReadIsRefusedWithTheReason) {
  EXPECT_EQ("a \"[\" opens a class of characters that no \"]\" closes", Refusal("file[12.txt"));
  EXPECT_EQ("a \"[\" opens a class of characters that no \"]\" closes", Refusal("["));
  EXPECT_EQ("a \"[\" opens a class of characters that no \"]\" closes", Refusal("[a\\"));
  EXPECT_EQ("a \"[\" opens a class of characters that no \"]\" closes", Refusal("[]a"));
  EXPECT_NE(std::string::npos, Refusal("x[]").find("\"[]\" is an empty class"));
  EXPECT_NE(std::string::npos, Refusal("[!]").find("\"[!]\" is an empty class"));
  EXPECT_EQ("the range \"z-a\" runs backwards: write its first character first", Refusal("[z-a]"));
  EXPECT_NE(std::string::npos, Refusal("[[:letter:]]").find("\"[:letter:]\" names no class"));
  EXPECT_EQ("a \"\\\" at the end of a name escapes nothing", Refusal("name\\"));
  EXPECT_NE(std::string::npos, Refusal("a**b").find("\"**\" stands for whole folders"));
}

TEST(NameGlobTest, IsExactlyOnlyForPlainText) {
  NameGlob glob;
  std::string why;
  ASSERT_TRUE(NameGlob::Parse("\\.\\.", &glob, &why));
  EXPECT_TRUE(glob.IsExactly(".."));
  ASSERT_TRUE(NameGlob::Parse("[.].", &glob, &why));
  EXPECT_FALSE(glob.IsExactly(".."));
}

}  // namespace
}  // namespace qs
