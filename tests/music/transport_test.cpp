#include "src/music/transport.h"

#include "src/music/song_search.h"
#include "tests/music/music_fixture.h"

namespace spindeck::testing {
namespace {

// Twelve songs whose files the player cannot open: the commands' replies and the state they
// leave can be checked without playing anything.
class TransportTest : public MusicTest {
 protected:
  void SetUp() override {
    std::vector<std::string> files;
    for (int i = 1; i <= 12; ++i) files.push_back("song" + std::string(1, char('a' + i)) + ".mp3");
    files[6] = "songh mr. blue.mp3";
    writeDirs(folderWith("m", files));
    say("ref");
    chat.sent.clear();
  }
};

TEST_F(TransportTest, EmptyPlaylistAndMissingArguments) {
  writeDirs("");
  say("ref");
  const auto none = replies({"you have no files/direcotires loaded"});
  EXPECT_EQ(say("p 1"), none);
  EXPECT_EQ(say("p abc"), none);
  EXPECT_EQ(say("r"), none);
  EXPECT_EQ(say("r rock"), none);
  for (const char* line : {"p", "stop x", "pause x", "pos x", "tempo x", "rst x", "del x", "ff",
                           "rw", "mvol", "cvol", "itempo", "dtempo"}) {
    EXPECT_TRUE(say(line).empty()) << line;
  }
}

TEST_F(TransportTest, PlayByNumberChecksTheRange) {
  EXPECT_EQ(say("p 13"), replies({"file does not exist"}));
  EXPECT_EQ(say("p 0"), replies({"file does not exist"}));
  EXPECT_EQ(say("p -4"), replies({"file does not exist"}));
  EXPECT_EQ(say("p 7"), replies({"playing: <b>07</b>. songh mr</b>. blue"}));
  EXPECT_EQ(state.lblsong, "07</b>. songh mr</b>. blue");
  EXPECT_TRUE(state.tmrmp3.isActive());
  // 11.5 - 1 rounds to the even 10: song 11. Playing by number leaves the cursor alone.
  EXPECT_EQ(say("p 11.5"), replies({"playing: <b>11</b>. songl"}));
  EXPECT_EQ(say("p 12.5"), replies({"file does not exist"}));
  EXPECT_EQ(state.lstpl.selectedIndex(), -1);
}

TEST_F(TransportTest, VolumesCheckTheirRangeAndEchoTheNumber) {
  EXPECT_EQ(say("mvol 5"), replies({"ccom volume set to <b>05</b>%"}));
  EXPECT_EQ(state.player.Volume(), -2375);
  say("mvol 0");
  EXPECT_EQ(state.player.Volume(), -2500);
  say("mvol 100");
  EXPECT_EQ(state.player.Volume(), 0);
  const auto range = replies({"error, use a number between 0 and 100"});
  EXPECT_EQ(say("mvol 101"), range);
  EXPECT_EQ(say("mvol -1"), range);
  EXPECT_EQ(say("mvol loud"), range);
  EXPECT_EQ(say("cvol x"), range);
  EXPECT_EQ(state.player.Volume(), 0);
}

TEST_F(TransportTest, TempoStepsAndAbsurdRates) {
  EXPECT_EQ(say("itempo 5"), replies({"tempo increased by <b>05</b>"}));
  EXPECT_DOUBLE_EQ(state.player.Rate(), 1.2);
  EXPECT_EQ(say("dtempo 5"), replies({"tempo decreased by <b>05</b>"}));
  EXPECT_DOUBLE_EQ(state.player.Rate(), 1.0);
  EXPECT_EQ(say("itempo x"), replies({"error: use numbers"}));
  // Far below zero and far above anything playable: the player keeps a rate it can play.
  say("dtempo 1000");
  EXPECT_GT(state.player.Rate(), 0);
  say("itempo 1e300");
  EXPECT_LE(state.player.Rate(), 4.0);
  EXPECT_EQ(say("tempo"), replies({"tempo set to normal level"}));
  EXPECT_DOUBLE_EQ(state.player.Rate(), 1.0);
}

TEST_F(TransportTest, SkipsAndPauseNeedASong) {
  EXPECT_EQ(say("ff abc"), replies({"error: use numbers"}));
  EXPECT_EQ(say("ff 10"), replies({"error: no song playing"}));
  EXPECT_EQ(say("rw 10"), replies({"error: no song playing"}));
  EXPECT_EQ(say("pause"), replies({"error: no song playing"}));
  EXPECT_EQ(say("pos"), replies({"error: no song playing"}));
  EXPECT_EQ(say("rst"), replies({"error: no song playing"}));
  EXPECT_EQ(say("del"), replies({"error: no mp3 loaded"}));
  // With a song named but none open, pause finds the player stopped and says nothing.
  say("p 1");
  EXPECT_TRUE(say("pause").empty());
  EXPECT_EQ(say("rw 1"), replies({"error: current position less than seconds skipped"}));
  EXPECT_EQ(say("ff 1"), replies({"error: seconds skipped is greater than song length"}));
  EXPECT_EQ(say("stop"), replies({"song stopped playing"}));
  EXPECT_EQ(state.lblsong, "01</b>. songb");
}

TEST_F(TransportTest, NextAndPrevWalkTheCursorWithinThePlaylist) {
  EXPECT_EQ(say("next"), replies({"playing: <b>02</b>. songc"}));
  EXPECT_EQ(state.lstpl.selectedIndex(), 1);
  EXPECT_EQ(say("next 3"), replies({"playing: <b>05</b>. songf"}));
  EXPECT_EQ(say("prev 2"), replies({"playing: <b>03</b>. songd"}));
  EXPECT_EQ(say("prev 3"), replies({"file does not exist"}));
  EXPECT_EQ(state.lstpl.selectedIndex(), 2);
  EXPECT_EQ(say("next 10"), replies({"file does not exist"}));
  EXPECT_TRUE(say("next two").empty());
  EXPECT_EQ(state.lstpl.selectedIndex(), 2);
  // 2 + 8.5 rounds to the even 10.
  EXPECT_EQ(say("next 8.5"), replies({"playing: <b>11</b>. songl"}));
  // No entry selected: the cursor starts at the first entry even when nothing plays.
  state.lstpl.setSelectedIndex(-1);
  EXPECT_TRUE(say("prev x").empty());
  EXPECT_EQ(state.lstpl.selectedIndex(), 0);
}

TEST_F(TransportTest, DoubleClickPlaysTheSelectedEntryOnly) {
  PlaySelectedEntry(state);
  EXPECT_TRUE(chat.sent.empty());
  state.lstpl.setSelectedIndex(3);
  PlaySelectedEntry(state);
  EXPECT_EQ(chat.sent, replies({"playing: <b>04</b>. songe"}));
}

TEST_F(TransportTest, RandomPicksGiveUpOnUnplayableFiles) {
  EXPECT_EQ(say("r"), replies({"error: no playable files"}));
  EXPECT_EQ(state.lblsong, "");
  EXPECT_EQ(say("shuffle"), replies({"shuffle mode: on"}));
}

}  // namespace
}  // namespace spindeck::testing
