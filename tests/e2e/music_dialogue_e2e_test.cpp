// The selection dialogue that a search with several matches opens, through the stand-in chat
// client: only the user's lines steer it.
#include <gtest/gtest.h>

#include "tests/support/jukebox.h"

namespace spindeck::e2e {
namespace {

TEST(MusicDialogueE2E, ScrollPlayAndCancelOnlyForTheUser) {
  Jukebox deck;
  ASSERT_TRUE(deck.started());
  for (const char* name : {"blue moon.mp3", "blue sky.mp3", "red.mp3"}) {
    ASSERT_TRUE(deck.MakeSong(name, {"--seconds", "6"}));
  }
  EXPECT_EQ(deck.Refresh(), Line("<b>01</b> dirs refeshed! <b>003</b> files"));
  const std::string found =
      Line(std::string("<b>02</b> matches found for <u>blue</u>") + kMiddle + "scroll, cancel");

  EXPECT_EQ(deck.Ask("p blue"), found);
  // Another chatter's lines neither scroll, play nor cancel.
  deck.SayAs(kOther, "scroll");
  deck.SayAs(kOther, "play 1");
  deck.SayAs(kOther, "cancel");
  EXPECT_TRUE(deck.NothingBefore());

  EXPECT_EQ(deck.Ask("scroll"), Line("<b>01</b>. blue moon"));
  EXPECT_EQ(deck.NextReply(), Line("<b>02</b>. blue sky"));
  EXPECT_EQ(deck.NextReply(), Line("type 'play' <b>01-02"));
  EXPECT_EQ(deck.Ask("play 3"), Line("type 'play' <b>01-02"));
  EXPECT_EQ(deck.Ask("play 2"), Line("playing: <b>02</b>. blue sky"));
  const std::string blueSkyPos = "<b>02</b>. blue sky" + std::string(kMiddle) + "<b>00:0";
  const auto showsBlueSky = [&](const std::string& line) {
    return line.find(blueSkyPos) != std::string::npos;
  };
  const std::string pos = deck.Pos(showsBlueSky);
  EXPECT_TRUE(showsBlueSky(pos)) << pos;
  // The dialogue closed with the choice.
  deck.Say("cancel");
  deck.Say("play 1");
  EXPECT_TRUE(deck.NothingBefore());

  EXPECT_EQ(deck.Ask("p blue"), found);
  deck.SayAs(kOther, "play 1");
  EXPECT_TRUE(deck.NothingBefore());
  EXPECT_EQ(deck.Ask("cancel"), Line("user cancelled action"));
  deck.Say("play 1");
  deck.Say("scroll");
  EXPECT_TRUE(deck.NothingBefore());
  // The song of before plays on.
  const std::string laterPos = deck.Pos();
  EXPECT_TRUE(showsBlueSky(laterPos)) << laterPos;
}

}  // namespace
}  // namespace spindeck::e2e
