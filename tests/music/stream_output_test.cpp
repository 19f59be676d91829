// The program's side of the stream: the title of a playlist entry and the "listen" command.
#include "src/music/stream_output.h"

#include "tests/music/music_fixture.h"

namespace spindeck::testing {
namespace {

TEST(StreamTitle, IsTheEntryWithoutTheNumberTheLibraryPutBeforeIt) {
  EXPECT_EQ(StreamTitleOf("05. modem hearts - fifty six k"), "modem hearts - fifty six k");
  EXPECT_EQ(StreamTitleOf("07. 99 luftballons"), "99 luftballons");
  EXPECT_EQ(StreamTitleOf("100. 2. mix. final"), "2. mix. final");
  EXPECT_EQ(StreamTitleOf("12. "), "");
  // Not an entry the library makes: left whole.
  EXPECT_EQ(StreamTitleOf("no number"), "no number");
  EXPECT_EQ(StreamTitleOf("12.x"), "12.x");
  EXPECT_EQ(StreamTitleOf(""), "");
}

TEST_F(MusicTest, ListenTellsTheListenersAddressAsItStands) {
  EXPECT_EQ(say("listen"), replies({"error: no stream"}));
  state.streamListenUrl = "http://radio.example:8000/spindeck.mp3?a=1&b=<i>";
  state.lblElitemode = "0";  // the elite filter changes the wording, never the address
  EXPECT_EQ(
      say("listen"),
      replies({"listen \xE1t: <u>http://radio.example:8000/spindeck.mp3?a=1&amp;b=&lt;i&gt;</u>"}));
  EXPECT_TRUE(say("listen now").empty());
}

}  // namespace
}  // namespace spindeck::testing
