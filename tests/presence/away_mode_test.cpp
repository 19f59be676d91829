// The away mode driven directly: the commands, the minute ticks and the message log.
#include "src/presence/away_mode.h"

#include <gtest/gtest.h>

#include "tests/support/command_test.h"

namespace spindeck::testing {
namespace {

class AwayModeTest : public CommandTest {
 protected:
  AwayModeTest() { state.lblhandle = "Zed"; }

  // The announcement "spin.deck" + middle separator + the news, in the empty style.
  static std::string Announcement(const std::string& news) {
    return PlainLine("spin.<font color=><b>deck</b> <font color=><font color=> " + news);
  }
  static std::string TickLine(const std::string& time, const std::string& reason) {
    return PlainLine("spin.<font color=><b>deck</b><font color=> idle <font color=><font color=> " +
                     time + " <font color=><font color=> msg: " + reason);
  }
  std::vector<std::string> tick() {
    chat.sent.clear();
    IdleTick(state);
    return chat.sent;
  }
  std::vector<std::string> message(const std::string& sender, const std::string& text) {
    chat.sent.clear();
    MessageLine(state, sender, text);
    return chat.sent;
  }
  const std::string kInvite = "type <b>.zed</b> * to leave a message, max <b>20</b>";
};

TEST_F(AwayModeTest, GoingAwayAndComingBackFollowTheArgumentRules) {
  EXPECT_TRUE(say("idle").empty());
  EXPECT_FALSE(IsAway(state));
  EXPECT_TRUE(say("xidle").empty());

  EXPECT_EQ(say("re lunch"), replies({"idle reason updated"}));
  EXPECT_EQ(state.lblrsn, "lunch");
  state.lblmins = "7";
  EXPECT_EQ(say("idle gone fishing"), std::vector{Announcement("<u>Zed</u> is going idle!")});
  EXPECT_TRUE(IsAway(state));
  EXPECT_EQ(state.tmrIdle.interval(), 60000);
  EXPECT_EQ(state.lblrsn, "gone fishing");
  EXPECT_EQ(state.lblmins, "0");

  // A second "idle" neither resets the counters nor answers.
  state.lblmins = "12";
  EXPECT_TRUE(say("idle again").empty());
  EXPECT_EQ(state.lblmins, "12");
  EXPECT_EQ(state.lblrsn, "gone fishing");

  EXPECT_TRUE(say("xidle now").empty());
  EXPECT_EQ(say("xidle"), std::vector{Announcement("<u>Zed</u> is back!")});
  EXPECT_FALSE(IsAway(state));
  EXPECT_EQ(state.lblmins, "12");
  EXPECT_EQ(state.lblrsn, "gone fishing");
}

TEST_F(AwayModeTest, TicksCountMinutesIntoHours) {
  say("idle lunch");
  EXPECT_EQ(tick(), (std::vector{TickLine("<b>00</b>:<b>01</b>", "lunch"), PlainLine(kInvite)}));
  state.lblmins = "58";
  EXPECT_EQ(tick().front(), TickLine("<b>00</b>:<b>59</b>", "lunch"));
  EXPECT_EQ(tick().front(), TickLine("<b>01</b>:<b>00</b>", "lunch"));
  EXPECT_EQ(state.lblhours, "1");
  EXPECT_EQ(state.lblmins, "0");
  state.lblhours = "99";
  state.lblmins = "59";
  EXPECT_EQ(tick().front(), TickLine("<b>100</b>:<b>00</b>", "lunch"));
}

TEST_F(AwayModeTest, MessagesAreLoggedUpToTwenty) {
  say("idle lunch");
  EXPECT_EQ(message("Bob", ".zed call me"), replies({"<u>bob</u> your message has been logged"}));
  EXPECT_EQ(message("Ann", ".ZED  two  blanks "),
            replies({"<u>ann</u> your message has been logged"}));
  EXPECT_EQ(message("DjSam", ".zed my own"),
            replies({"<u>djsam</u> your message has been logged"}));
  // Not the message command, or nothing to log.
  for (const char* text : {".zed", ".zed ", ".zed   \t ", ".zedd hi", "zed hi", "hi .zed hi"}) {
    EXPECT_TRUE(message("Bob", text).empty()) << text;
  }
  EXPECT_EQ(state.lstMsg.entries(),
            (std::vector<std::string>{"Bob: call me", "Ann:  two  blanks ", "DjSam: my own"}));

  while (state.lstMsg.count() < 20) state.lstMsg.append("Old: message");
  EXPECT_TRUE(message("Bob", ".zed the twenty-first").empty());
  EXPECT_EQ(state.lstMsg.count(), 20);
  state.lstMsg.clear();
  EXPECT_EQ(message("Bob", ".zed again").size(), 1u);
  EXPECT_EQ(state.lstMsg.entries(), std::vector<std::string>{"Bob: again"});
}

}  // namespace
}  // namespace spindeck::testing
