// Names as a volume that ignores case compares them.
#include "engine/case_folding.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

TEST(CaseFoldingTest, LettersOfTheCommonScriptsFoldAlike) {
  EXPECT_EQ("notes.txt", FoldCase("Notes.TXT"));
  EXPECT_EQ(FoldCase("ÄÖÜ ÿ"), FoldCase("äöü Ÿ"));
  EXPECT_EQ(FoldCase("ĀĂŁŽ"), FoldCase("āăłž"));
  EXPECT_EQ(FoldCase("ДОКУМЕНТЫ ЁЖ"), FoldCase("документы ёж"));
  EXPECT_EQ(FoldCase("ΣΊΣΥΦΟΣ"), FoldCase("σίσυφος"));  // final sigma too
  EXPECT_EQ(FoldCase("ＡＢＣ"), FoldCase("ａｂｃ"));
}

// clang-format off
// Letters that an exFAT volume folds and a table of the common scripts alone did not know,
// and letters beyond the Basic Multilingual Plane.
TEST(CaseFoldingTest, LettersOfEveryScriptFoldAlike) {
  const char* const pairs[][2] = {
      {"Școala", "școala"}, {"Ả", "ả"}, {"Ạ", "ạ"}, {"Ǎ", "ǎ"}, {"Ƀ", "ƀ"},  // Latin Extended
      {"Ɐ", "ɐ"}, {"Ḃ", "ḃ"}, {"Ǆ", "ǆ"}, {"ǅ", "ǆ"},                       // Latin
      {"Ἀ", "ἀ"}, {"ᾈ", "ᾀ"}, {"Ϗ", "ϗ"},                                    // Greek
      {"Ⴀ", "ⴀ"}, {"Ა", "ა"},                                                // Georgian
      {"Ա", "ա"},                                                            // Armenian
      {"Ꙁ", "ꙁ"}, {"Ӂ", "ӂ"},                                                // Cyrillic
      {"Ꭰ", "ꭰ"}, {"Ⰰ", "ⰰ"},                                                // Cherokee, Glagolitic
      {"𐐀", "𐐨"}, {"𞤀", "𞤢"},                                              // Deseret, Adlam
      {"\xE2\x84\xAA", "k"},                                                // the Kelvin sign
  };
  for (const auto& pair : pairs) EXPECT_EQ(FoldCase(pair[0]), FoldCase(pair[1])) << pair[0];
}
// clang-format on

TEST(CaseFoldingTest, DifferentLettersStayDifferent) {
  EXPECT_NE(FoldCase("a.txt"), FoldCase("ā.txt"));
  EXPECT_NE(FoldCase("e"), FoldCase("é"));
  EXPECT_NE(FoldCase("ß"), FoldCase("ss"));  // full folding only, never a volume's
  EXPECT_NE(FoldCase("Ș"), FoldCase("Ş"));   // comma below, cedilla
  EXPECT_NE(FoldCase("İ"), FoldCase("i"));   // Turkish dotted I folds only in Turkish
  EXPECT_EQ("中文目录", FoldCase("中文目录"));
  EXPECT_EQ("😀.txt", FoldCase("😀.TXT"));
}

TEST(CaseFoldingTest, BytesThatAreNotUtf8AreKept) {
  const std::string latin1 = "CAF\xC9.TXT";  // a name written in Latin-1
  EXPECT_EQ("caf\xC9.txt", FoldCase(latin1));
  EXPECT_EQ("\xC3", FoldCase("\xC3"));                  // cut off
  EXPECT_EQ("\xED\xA0\x80", FoldCase("\xED\xA0\x80"));  // a surrogate
  // An overlong "A" is not the letter: it must not fold into another name's "a".
  EXPECT_EQ("\xE0\x81\x81", FoldCase("\xE0\x81\x81"));
  EXPECT_EQ("\xF4\x90\x80\x80", FoldCase("\xF4\x90\x80\x80"));  // beyond U+10FFFF
}

}  // namespace
}  // namespace qs
