// The pane text model: edit-control line counting, and the LF-only copy a toolkit buffer keeps.
#include "ui/pane_text.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

TEST(PaneTextTest, CountsLinesAsTheEditControlDoes) {
  PaneText pane;
  EXPECT_EQ(1, pane.LineCount());
  EXPECT_EQ(0, pane.LineStart(0));
  EXPECT_EQ(-1, pane.LineStart(1));
  pane.SetText("ab\r\ncd\r\n");
  EXPECT_EQ(3, pane.LineCount());
  EXPECT_EQ(4, pane.LineStart(1));
  EXPECT_EQ(8, pane.LineStart(2));
  pane.SetText("a\nb\rc");  // lone LF and CR are no line ends
  EXPECT_EQ(1, pane.LineCount());
}

TEST(PaneTextTest, SelectionIsClampedAndReplaced) {
  PaneText pane;
  pane.SetText("hello");
  pane.Select(10, 2);
  EXPECT_EQ(2, pane.SelectionStart());
  EXPECT_EQ(5, pane.SelectionEnd());
  pane.ReplaceSelection("p!");
  EXPECT_EQ("hep!", pane.Text());
  EXPECT_EQ(4, pane.SelectionStart());
  pane.ScrollBy(5);
  EXPECT_EQ(0, pane.FirstVisibleLine());  // one line: nowhere to scroll
}

int CountedLines(const std::string& text) {
  int lines = 1;
  for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2))
    ++lines;
  return lines;
}

TEST(PaneTextTest, KeepsItsLineCountThroughEveryChange) {
  PaneText pane;
  const struct {
    int start, end;
    const char* text;
  } changes[] = {
      {0, 0, "a\r\nb\r\n"}, {4, 4, "\r"},   {5, 5, "\nc"},      // parts of a pair meet
      {2, 3, ""},           {1, 2, "\n\r"}, {0, 100, "x\r\n"},  // pairs parted and made
      {3, 3, "\r\n\r\n"},   {2, 5, "y"},    {0, 0, ""},
  };
  for (const auto& change : changes) {
    pane.Select(change.start, change.end);
    pane.ReplaceSelection(change.text);
    EXPECT_EQ(CountedLines(pane.Text()), pane.LineCount()) << "after inserting " << change.text;
  }
  pane.SetText("1\r\n2\r\n3");
  EXPECT_EQ(3, pane.LineCount());
}

TEST(PaneTextTest, PositionsWithoutCarriageReturns) {
  const std::string text = "ab\r\ncd\r\n";
  EXPECT_EQ("ab\ncd\n", WithoutCarriageReturns(text));
  EXPECT_EQ("a\rb", WithoutCarriageReturns("a\rb"));
  EXPECT_EQ(0, PositionWithoutCarriageReturns(text, 0));
  EXPECT_EQ(2, PositionWithoutCarriageReturns(text, 2));
  EXPECT_EQ(3, PositionWithoutCarriageReturns(text, 4));
  EXPECT_EQ(6, PositionWithoutCarriageReturns(text, 8));
  EXPECT_EQ(6, PositionWithoutCarriageReturns(text, 99));
}

}  // namespace
}  // namespace qs
