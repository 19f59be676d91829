#include "platform/scanchat/transcript.h"

#include <gtest/gtest.h>

#include "platform/scanchat/own_lines.h"

namespace platform {
namespace {

std::vector<TranscriptLine> Lines(int from, int to) {
  std::vector<TranscriptLine> lines;
  for (int i = from; i < to; ++i) lines.push_back({"Bob", "line " + std::to_string(i)});
  return lines;
}

TEST(Transcript, ParsesSendersTextsAndNotices) {
  const auto lines =
      ParseTranscript("Bob:\thi: there\r\nOnlineHost:\t*** Ann entered\r\nnotice\nAnn:\t");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], (TranscriptLine{"Bob", "hi: there"}));
  EXPECT_EQ(lines[2], (TranscriptLine{"", "notice"}));
  EXPECT_EQ(lines[3], (TranscriptLine{"Ann", ""}));
  EXPECT_TRUE(ParseTranscript("").empty());
}

TEST(Transcript, NewLinesAcrossTheTrimOfAFullTranscript) {
  EXPECT_EQ(NewLines(Lines(0, 3), Lines(0, 5)), Lines(3, 5));
  EXPECT_EQ(NewLines(Lines(0, 500), Lines(2, 502)), Lines(500, 502));  // two dropped, two new
  EXPECT_EQ(NewLines(Lines(0, 500), Lines(0, 500)), Lines(0, 0));
  EXPECT_EQ(NewLines({}, Lines(0, 2)), Lines(0, 2));
  // A repeated line is new again, not taken for the one before it.
  std::vector<TranscriptLine> before = {{"Me", "next"}};
  std::vector<TranscriptLine> now = {{"Me", "next"}, {"Me", "next"}};
  EXPECT_EQ(NewLines(before, now), (std::vector<TranscriptLine>{{"Me", "next"}}));
  // Nothing read before is left: no line can be told new.
  EXPECT_EQ(NewLines(Lines(0, 3), Lines(7, 9)), std::nullopt);
  EXPECT_EQ(NewLines(Lines(0, 3), {}), Lines(0, 0));
}

TEST(OwnLines, EachReaderTakesASentLineOnce) {
  OwnLines own;
  const int scan = own.AddReader();
  const int scan2 = own.AddReader();
  own.NoteSent("<font color=#0> shuffle mode: on <font color=#ffffff>");
  EXPECT_TRUE(own.TakeIfOwn("shuffle mode: on", scan));
  EXPECT_FALSE(own.TakeIfOwn("shuffle mode: on", scan));  // typed by the user this time
  EXPECT_TRUE(own.TakeIfOwn("shuffle mode: on", scan2));
  EXPECT_FALSE(own.TakeIfOwn("shuffle", scan2));
}

}  // namespace
}  // namespace platform
