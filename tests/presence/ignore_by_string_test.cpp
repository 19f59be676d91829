// Ignoring by a piece of a name against an in-test chat client: every taunt can come up.
#include "src/presence/ignore_by_string.h"

#include <gtest/gtest.h>

#include <set>

#include "src/state/random_number.h"
#include "tests/aol/test_desktop.h"
#include "tests/support/command_test.h"

namespace spindeck::testing {
namespace {

class IgnoreByStringTest : public CommandTest {
 protected:
  IgnoreByStringTest() {
    desktop.Welcome("DjSam");
    desktop.Room("lobby", {"DjSam", "Bob", "Ann"});
    desktop.Serve();
  }
  TestDesktop desktop;
};

TEST_F(IgnoreByStringTest, EveryTauntIsReachableAndUnignoreAnswersAlike) {
  const std::string prefix = "<u>ann</u> <font color=><font color=> ";
  std::set<std::string> taunts;
  for (int wanted = 1; wanted <= 5; ++wanted) {
    // A seed whose first draw of five is `wanted`.
    unsigned seed = 0;
    for (;; ++seed) {
      state.random.seed(seed);
      if (RandomNumber(state, 5) == wanted) break;
    }
    state.random.seed(seed);
    const auto sent = say("x ANN");
    ASSERT_EQ(sent.size(), 1u);
    taunts.insert(sent[0]);
  }
  EXPECT_EQ(taunts, (std::set<std::string>{PlainLine(prefix + "shut your penis sucker!"),
                                           PlainLine(prefix + "ok thats enough asshole"),
                                           PlainLine(prefix + "shut up already.. god"),
                                           PlainLine(prefix + "yeah... ok.... no one cares!"),
                                           PlainLine(prefix + "poof... you're gone!")}));
  EXPECT_EQ(say("unx nn"), replies({prefix + "ok asshole you can talk."}));
  EXPECT_EQ(state.lstsn.entries(), (std::vector<std::string>{"Bob", "Ann"}));
  EXPECT_EQ(state.lstfound.entries(), std::vector<std::string>{"Ann"});
}

TEST_F(IgnoreByStringTest, TheReplyKeepsTheStyleOfItsLine) {
  // A style chosen while the chatter's window is worked does not change this reply.
  QTimer::singleShot(0, [&] { state.lblmascii = "~"; });
  EXPECT_EQ(say("unx ann"),
            replies({"<u>ann</u> <font color=><font color=> ok asshole you can talk."}));
  EXPECT_EQ(state.lblmascii, "~");
}

}  // namespace
}  // namespace spindeck::testing
