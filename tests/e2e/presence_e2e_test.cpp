// The away mode and ignoring chatters, through the stand-in chat client.
#include <gtest/gtest.h>

#include <set>

#include "tests/support/jukebox.h"

namespace spindeck::e2e {
namespace {

// Reads the program's replies until one equals `line`; false when it does not come.
bool Sees(Jukebox& deck, const std::string& line, int timeoutMs = 8000) {
  for (std::string reply; (reply = deck.NextReply(timeoutMs)) != "<no reply>";) {
    if (reply == line) return true;
  }
  return false;
}

std::string Announcement(const std::string& news) {
  return Line(std::string("spin.<font color=><b>deck</b>") + kMiddle + news);
}

std::string TickLine(const std::string& time) {
  return Line(std::string("spin.<font color=><b>deck</b><font color=> idle") + kMiddle + time +
              kMiddle + "msg: lunch");
}

TEST(PresenceE2E, AwayTicksItsMinutesUntilBack) {
  // A minute of the away timer lasts 40 ms here. (Its count into hours is tested without the
  // program.)
  QProcessEnvironment env;
  env.insert("SPINDECK_IDLE_TICK_MS", "40");
  Jukebox deck(env);
  ASSERT_TRUE(deck.started());
  EXPECT_EQ(deck.Ask("dj DjSam"), Line("new handle set to <u>DjSam</u>"));
  EXPECT_EQ(deck.Ask("re present"), Line("idle reason updated"));
  EXPECT_EQ(deck.Ask("idle lunch"), Announcement("<u>DjSam</u> is going idle!"));
  // Each minute: its announcement, and half a second later the invitation.
  const std::string invitation = Line("type <b>.djsam</b> * to leave a message, max <b>20</b>");
  EXPECT_EQ(deck.NextReply(), TickLine("<b>00</b>:<b>01</b>"));
  EXPECT_EQ(deck.NextReply(), invitation);
  deck.Say("xidle");
  // A minute that had begun may still be told before the user is back.
  EXPECT_TRUE(Sees(deck, Announcement("<u>DjSam</u> is back!")));
  // No more minutes once back: up to the answer to a later command, at most the invitation of
  // the minute that was being told.
  deck.Say("eliteoff");
  for (std::string reply = deck.NextReply(); reply.find("elite text: off") == std::string::npos;
       reply = deck.NextReply()) {
    ASSERT_EQ(reply, invitation);
  }
}

TEST(PresenceE2E, IgnoreAndUnignoreByAPieceOfTheName) {
  Jukebox deck;
  ASSERT_TRUE(deck.started());
  deck.client().Command({"join", "Bobby"});
  deck.client().Command({"join", "Ann"});
  EXPECT_EQ(deck.Ask("x bob"), Line("multiple strings found!"));
  // The user's own name is never a candidate.
  EXPECT_EQ(deck.Ask("x sam"), Line("no strings found for <u>sam</u>"));

  std::set<std::string> taunts;
  for (const char* t :
       {"shut your penis sucker!", "ok thats enough asshole", "shut up already.. god",
        "yeah... ok.... no one cares!", "poof... you're gone!"}) {
    taunts.insert(Line(std::string("<u>bobby</u>") + kMiddle + t));
  }
  const std::string taunt = deck.Ask("x BOBB");
  EXPECT_TRUE(taunts.contains(taunt)) << taunt;
  bool ignored = false;
  for (const Event& e : deck.client().events()) {
    if (e == Event{"ignore", "lobby", "Bobby", "1"}) ignored = true;
  }
  EXPECT_TRUE(ignored);
  deck.SayAs("Bobby", "can you hear me");
  deck.SayAs(kOther, "after bobby");
  EXPECT_EQ(deck.client().WaitForLine(kOther), "after bobby");
  for (const Event& e : deck.client().events()) {
    EXPECT_FALSE(e.size() >= 3 && e[0] == "line" && e[2] == "Bobby");
  }

  EXPECT_EQ(deck.Ask("unx bobb"),
            Line(std::string("<u>bobby</u>") + kMiddle + "ok asshole you can talk."));
  deck.SayAs("Bobby", "back again");
  EXPECT_EQ(deck.client().WaitForLine("Bobby"), "back again");
}

}  // namespace
}  // namespace spindeck::e2e
