// Rooms that change places on top: a room brought back on top gives the program only the lines
// said in it since the program first saw it.
#include <gtest/gtest.h>

#include <utility>

#include "tests/support/jukebox.h"

namespace spindeck::e2e {
namespace {

using Said = std::vector<std::pair<std::string, std::string>>;

QProcessEnvironment LongAwayMinute() {
  QProcessEnvironment env;
  env.insert("SPINDECK_IDLE_TICK_MS", "600000");  // no away announcements during the test
  return env;
}

// The jukebox whose user also has the room "jams" open, behind the lobby, holding lines that
// were said in it before the program started.
class TwoRooms : public Jukebox {
 public:
  explicit TwoRooms(const Said& said)
      : Jukebox(LongAwayMinute(), [this, said](const QString&) {
          client().Command({"room", "jams"});
          for (const auto& [sender, text] : said) client().Command({"say", sender, text});
          client().Command({"room", "lobby"});
          client().Command({"echo", "jams behind"});
          client().WaitFor([](const Event& e) { return e.size() >= 2 && e[1] == "jams behind"; });
        }) {}
};

TEST(RoomSwitchE2E, ARoomBroughtBackOnTopRunsAndLogsNoneOfItsOldLines) {
  TwoRooms deck({{kUser, "del"}, {kUser, "end"}, {"Ann", ".djsam call me"}});
  ASSERT_TRUE(deck.started());
  EXPECT_EQ(deck.Ask("dj DjSam"), Line("new handle set to <u>DjSam</u>"));
  EXPECT_EQ(deck.Ask("idle lunch"), Line(std::string("spin.<font color=><b>deck</b>") + kMiddle +
                                         "<u>DjSam</u> is going idle!"));
  deck.client().Command({"room", "jams"});
  // The program first reads jams a moment after it comes on top, and takes what jams shows
  // then as read: a new message is said until one is logged.
  const std::string logged = Line("<u>bob</u> your message has been logged");
  std::vector<std::string> others;
  bool heard = false;
  for (int attempt = 0; attempt < 5 && !heard; ++attempt) {
    deck.SayAs(kOther, ".djsam back soon?");
    for (std::string reply; !heard && (reply = deck.NextReply(2000)) != "<no reply>";) {
      if (reply == logged) {
        heard = true;
      } else {
        others.push_back(reply);
      }
    }
  }
  EXPECT_TRUE(heard);
  // Neither the old "del" ("error: no mp3 loaded"), nor the old "end", nor Ann's message.
  EXPECT_EQ(others, std::vector<std::string>{});
  // The user's commands in jams are heard too (a message said twice is logged twice).
  deck.Say("re back at two");
  std::string reply;
  while ((reply = deck.NextReply()) == logged) {
  }
  EXPECT_EQ(reply, Line("idle reason updated"));
  EXPECT_TRUE(deck.program().running());
}

}  // namespace
}  // namespace spindeck::e2e
