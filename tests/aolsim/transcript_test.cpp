// The transcript: chat lines as the client shows them, and its 500-line limit.
#include "aolsim/transcript.h"

#include <gtest/gtest.h>

#include "aolsim/events.h"

namespace aolsim {
namespace {

TEST(Transcript, JoinsLinesWithCrLfAndCountsAsAnEditControl) {
  Transcript t;
  EXPECT_EQ(t.Text(), "");
  EXPECT_EQ(t.LineCount(), 1u);
  EXPECT_EQ(t.Line(0), "");
  t.Add("Bob", "<b>hi</b>");
  t.Add("Ann", "yo  there");
  EXPECT_EQ(t.Text(), "Bob:\thi\r\nAnn:\tyo there");
  EXPECT_EQ(t.LineCount(), 2u);
  EXPECT_EQ(t.Line(1), "Ann:\tyo there");
  EXPECT_EQ(t.Line(2), "");
}

TEST(Transcript, KeepsTheNewest500Lines) {
  Transcript t;
  for (int i = 0; i < 503; ++i) t.Add("S", std::to_string(i));
  EXPECT_EQ(t.Size(), 500u);
  EXPECT_EQ(t.Line(0), "S:\t3");
  EXPECT_EQ(t.Line(499), "S:\t502");
  // Serials count every line said, trimmed ones included, and find only the lines held.
  EXPECT_EQ(t.NextSerial(), 504u);
  EXPECT_EQ(t.LineBySerial(3), nullptr);
  ASSERT_NE(t.LineBySerial(4), nullptr);
  EXPECT_EQ(*t.LineBySerial(4), "S:\t3");
  EXPECT_EQ(*t.LineBySerial(503), "S:\t502");
  EXPECT_EQ(t.LineBySerial(504), nullptr);
  // The lines as said go with them.
  EXPECT_EQ(t.FirstSerial(), 4u);
  EXPECT_EQ(t.SaidBySerial(3), nullptr);
  EXPECT_EQ(t.SaidBySerial(4)->html, "3");
  EXPECT_EQ(t.SaidBySerial(503)->sender, "S");
  EXPECT_EQ(t.SaidBySerial(504), nullptr);
}

TEST(Transcript, TextAndLengthFollowEveryLineInAndOut) {
  Transcript t;
  EXPECT_EQ(t.Length(), 0u);
  t.Add("Bob", "one");
  EXPECT_EQ(t.Text(), "Bob:\tone");  // read between the lines: a joined text must not go stale
  EXPECT_EQ(t.Length(), t.Text().size());
  t.Add("Ann", "two");
  EXPECT_EQ(t.Text(), "Bob:\tone\r\nAnn:\ttwo");
  EXPECT_EQ(t.Length(), t.Text().size());
  for (int i = 0; i < 600; ++i) {
    t.Add("S", std::string(static_cast<std::size_t>(i % 7), 'x'));
    if (i % 97 == 0) {
      ASSERT_EQ(t.Length(), t.Text().size()) << "after line " << i;
    }
  }
  EXPECT_EQ(t.Text().rfind("S:\t", 0), 0u);
  EXPECT_EQ(t.Length(), t.Text().size());
}

TEST(FormatEvent, JoinsWithTabsInUtf8AndKeepsOneLine) {
  EXPECT_EQ(FormatEvent({"line", "r\xE1", "Bob", "a\r\nb"}), "line\tr\xC3\xA1\tBob\ta  b");
}

}  // namespace
}  // namespace aolsim
