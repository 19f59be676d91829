// Cutting the received byte stream into lines.
#include "aolsim/irc/line_buffer.h"

#include <gtest/gtest.h>

namespace aolsim::irc {
namespace {

std::vector<std::string> Drain(LineBuffer& buffer) {
  std::vector<std::string> lines;
  while (auto line = buffer.Next()) lines.push_back(*line);
  return lines;
}

TEST(LineBuffer, JoinsLinesThatArriveInPieces) {
  LineBuffer buffer;
  buffer.Append("PING :a\r");
  EXPECT_EQ(buffer.Next(), std::nullopt);
  buffer.Append("\nPRIV");
  buffer.Append("MSG x\n\nNO");
  EXPECT_EQ(Drain(buffer), (std::vector<std::string>{"PING :a", "PRIVMSG x", ""}));
  buffer.Append(std::string("T\0\rE\r\r\n", 7));
  EXPECT_EQ(Drain(buffer), std::vector<std::string>{std::string("NOT\0\rE\r", 7)});
  EXPECT_EQ(buffer.dropped(), 0u);
}

TEST(LineBuffer, DropsAnOverlongLineWholeAndKeepsTheNext) {
  LineBuffer buffer(8);
  buffer.Append("12345678\r\n123456789\nok\n");  // at the limit (the CR not counted), over it
  buffer.Append("1234567");
  buffer.Append("89abc");  // over the limit before its end has come
  buffer.Append("def\r\nnext\n");
  EXPECT_EQ(Drain(buffer), (std::vector<std::string>{"12345678", "ok", "next"}));
  EXPECT_EQ(buffer.dropped(), 2u);
  buffer.Append("12345678\r");  // the CR can still be the one before the LF
  buffer.Append("\n");
  EXPECT_EQ(Drain(buffer), std::vector<std::string>{"12345678"});
}

}  // namespace
}  // namespace aolsim::irc
