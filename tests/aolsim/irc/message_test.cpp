// The IRC message parser and line writer.
#include "aolsim/irc/message.h"

#include <gtest/gtest.h>

#include "aolsim/irc/server_features.h"

namespace aolsim::irc {
namespace {

TEST(ParseMessage, ReadsTagsPrefixCommandAndParameters) {
  const auto m = ParseMessage(
      "@id=a\\:b\\sc\\\\d\\x\\;flag;=lost;k= :Nick!u@h.net privmsg #Room  x :hi  there \r\n");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->tags,
            (std::map<std::string, std::string>{{"id", "a;b c\\dx"}, {"flag", ""}, {"k", ""}}));
  EXPECT_EQ(m->prefix, "Nick!u@h.net");
  EXPECT_EQ(NickOf(m->prefix), "Nick");
  EXPECT_EQ(NickOf("irc.example.net"), "irc.example.net");
  EXPECT_EQ(m->command, "PRIVMSG");
  EXPECT_EQ(m->params, (std::vector<std::string>{"#Room", "x", "hi  there "}));

  const auto numeric = ParseMessage("  :srv 001   me  Welcome   ");
  ASSERT_TRUE(numeric);
  EXPECT_EQ(numeric->command, "001");
  EXPECT_EQ(numeric->params, (std::vector<std::string>{"me", "Welcome"}));
  EXPECT_EQ(ParseMessage("PING :")->params, std::vector<std::string>{""});
  EXPECT_EQ(ParseMessage(std::string("NOTICE a\0b", 10))->params[0], std::string("a\0b", 3));
}

TEST(ParseMessage, TheFifteenthParameterTakesTheRestOfTheLine) {
  const auto m = ParseMessage("CMD 1 2 3 4 5 6 7 8 9 10 11 12 13 14 fifteen and  more :x");
  ASSERT_TRUE(m);
  ASSERT_EQ(m->params.size(), 15u);
  EXPECT_EQ(m->params[13], "14");
  EXPECT_EQ(m->params[14], "fifteen and  more :x");
}

TEST(ServerFeatures, IsupportGivesTheLimitsPrefixesAndCaseMappingAndRefusesNonsense) {
  ServerFeatures features;
  ApplyIsupport(*ParseMessage(":s 005 me NICKLEN=9 CHANNELLEN=50 CHANTYPES=#+ PREFIX=(qov)~@+ "
                              "CASEMAPPING=ascii :are supported by this server"),
                features);
  EXPECT_EQ(features.nickLen, 9u);
  EXPECT_EQ(features.channelLen, 50u);
  EXPECT_EQ(features.chanTypes, "#+");
  EXPECT_EQ(features.prefixChars, "~@+");
  EXPECT_EQ(features.caseMapping, CaseMapping::kAscii);
  EXPECT_NE(IrcLower("Nick[a]", CaseMapping::kAscii), IrcLower("nick{a}", CaseMapping::kAscii));
  EXPECT_EQ(IrcLower("Nick[a]~", CaseMapping::kStrictRfc1459), "nick{a}~");

  ApplyIsupport(*ParseMessage(":s 005 me NICKLEN=0 CHANTYPES= PREFIX=(o)\t@ CHANNELLEN=x :ok"),
                features);
  EXPECT_EQ(features.nickLen, 9u);
  EXPECT_EQ(features.chanTypes, "#+");
  EXPECT_EQ(features.prefixChars, "~@+");
  EXPECT_EQ(features.channelLen, 50u);
}

TEST(ParseMessage, GivesNothingForALineWithoutCommand) {
  for (const char* line : {"", "   ", "\r\n", "@a=b", "@a=b ", ":prefix", "@a :p  "}) {
    EXPECT_FALSE(ParseMessage(line)) << line;
  }
}

TEST(FormatLine, WritesTheLastParameterAsTrailingWhenItMustBe) {
  EXPECT_EQ(FormatLine("PRIVMSG", {"#c", "hi"}), "PRIVMSG #c hi");
  EXPECT_EQ(FormatLine("PRIVMSG", {"#c", "hi there"}), "PRIVMSG #c :hi there");
  EXPECT_EQ(FormatLine("PRIVMSG", {"#c", ":)"}), "PRIVMSG #c ::)");
  EXPECT_EQ(FormatLine("TOPIC", {"#c", ""}), "TOPIC #c :");
  EXPECT_EQ(FormatLine("QUIT", {}), "QUIT");
  // A middle parameter cannot be empty or start with ':'.
  EXPECT_EQ(FormatLine("USER", {"", ":x", "0", "Real Name"}), "USER _ _:x 0 :Real Name");
}

// Line ends and blanks in the text cannot end the line early or move words into other
// parameters: each parameter reads back whole.
TEST(FormatLine, KeepsEveryParameterWholeWhateverItHolds) {
  EXPECT_EQ(FormatLine("PRIVMSG", {"#c", "a\r\nQUIT :bye"}), "PRIVMSG #c :a  QUIT :bye");
  EXPECT_EQ(FormatLine("PRIVMSG", {"#c", "a\rb"}), "PRIVMSG #c :a b");
  EXPECT_EQ(FormatLine("PRIVMSG", {"#c", std::string("a\0b", 3)}), "PRIVMSG #c :a b");
  EXPECT_EQ(FormatLine("PRIVMSG", {"#a b\nc", "x y"}), "PRIVMSG #a_b_c :x y");
  EXPECT_EQ(FormatLine("PRIV MSG", {"x"}), "PRIV_MSG x");
  const auto back = ParseMessage(FormatLine("PRIVMSG", {"#a b", "c\rd"}));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->params, (std::vector<std::string>{"#a_b", "c d"}));
}

TEST(IrcLower, FoldsLettersAndTheScandinavianPairs) {
  EXPECT_EQ(IrcLower("Nick[A]\\~"), IrcLower("nick{a}|^"));
  EXPECT_EQ(IrcLower("#Room-1"), "#room-1");
}

}  // namespace
}  // namespace aolsim::irc
