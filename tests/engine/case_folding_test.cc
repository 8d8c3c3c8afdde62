// Names as a volume that ignores case compares them.
#include "engine/case_folding.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

TEST(CaseFoldingTest, LettersOfTheCommonScriptsFoldToUpperCase) {
  EXPECT_EQ("NOTES.TXT", FoldCase("Notes.txt"));
  EXPECT_EQ(FoldCase("ÄÖÜ ÿ"), FoldCase("äöü Ÿ"));
  EXPECT_EQ(FoldCase("ĀĂŁŽ"), FoldCase("āăłž"));
  EXPECT_EQ(FoldCase("ДОКУМЕНТЫ ЁЖ"), FoldCase("документы ёж"));
  EXPECT_EQ(FoldCase("ΣΊΣΥΦΟΣ"), FoldCase("σίσυφος"));  // final sigma too
  EXPECT_EQ(FoldCase("ＡＢＣ"), FoldCase("ａｂｃ"));
}

TEST(CaseFoldingTest, DifferentLettersStayDifferent) {
  EXPECT_NE(FoldCase("a.txt"), FoldCase("ā.txt"));
  EXPECT_NE(FoldCase("e"), FoldCase("é"));
  EXPECT_NE(FoldCase("ß"), FoldCase("ss"));
  EXPECT_EQ("中文目录", FoldCase("中文目录"));
  EXPECT_EQ("😀.TXT", FoldCase("😀.txt"));
}

TEST(CaseFoldingTest, BytesThatAreNotUtf8AreKept) {
  const std::string latin1 = "caf\xE9.txt";  // a name written in Latin-1
  EXPECT_EQ("CAF\xE9.TXT", FoldCase(latin1));
  EXPECT_EQ("\xC3", FoldCase("\xC3"));  // cut off
  EXPECT_EQ("\xED\xA0\x80", FoldCase("\xED\xA0\x80"));
}

}  // namespace
}  // namespace qs
