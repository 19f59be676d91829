#include "src/music/transport.h"

#include "src/music/play_modes.h"
#include "src/music/song_search.h"
#include "tests/music/music_fixture.h"
#include "tests/music/silent_song.h"

namespace spindeck::testing {
namespace {

// Twelve silent songs; the ninth, 09. songj, is text that the player cannot open.
class TransportTest : public MusicTest {
 protected:
  void SetUp() override {
    std::vector<std::string> files;
    for (int i = 1; i <= 12; ++i) files.push_back("song" + std::string(1, char('a' + i)) + ".mp3");
    files[6] = "songh mr. blue.mp3";
    const auto folder = folderWith("m", {});
    for (const auto& f : files) put(path("m") / f, SilentMp3(3));
    put(path("m/songj.mp3"), "not music");
    writeDirs(folder);
    say("ref");
    chat.sent.clear();
  }
  const std::vector<std::string> cannotPlay =
      replies({"error: <u>09</b>. songj</u> cannot be played"});
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
  say("p 1");
  EXPECT_EQ(say("rw 1"), replies({"error: current position less than seconds skipped"}));
  EXPECT_EQ(say("ff 10"), replies({"error: seconds skipped is greater than song length"}));
  EXPECT_EQ(say("stop"), replies({"song stopped playing"}));
  // A stopped song is still named, but pause finds the player stopped and says nothing.
  EXPECT_TRUE(say("pause").empty());
  EXPECT_EQ(state.lblsong, "01</b>. songb");
}

TEST_F(TransportTest, AnEntryThatCannotPlayIsAnErrorWhereverItIsChosen) {
  // Before any song: the error, and nothing that pos could claim.
  EXPECT_EQ(say("p 9"), cannotPlay);
  EXPECT_EQ(state.lblsong, "");
  EXPECT_FALSE(state.tmrmp3.isActive());
  EXPECT_EQ(say("pos"), replies({"error: no song playing"}));
  say("p 1");
  const auto check = [&](const std::vector<std::string>& sent, const char* how) {
    EXPECT_EQ(sent, cannotPlay) << how;
    EXPECT_EQ(state.lblsong, "01</b>. songb") << how;
  };
  check(say("p 9"), "p 9");
  check(say("p songj"), "p songj");
  state.lstpl.setSelectedIndex(7);
  check(say("next"), "next");
  state.lstpl.setSelectedIndex(9);
  check(say("prev"), "prev");
  chat.sent.clear();
  PlaySelectedEntry(state);
  check(chat.sent, "double click");
  // Continue mode moves onto the entry, reports it once and stops there.
  state.lblplaymode = "3";
  state.lstpl.setSelectedIndex(7);
  chat.sent.clear();
  SongEnd(state);
  check(chat.sent, "continue");
  EXPECT_EQ(state.lstpl.selectedIndex(), 8);
  EXPECT_EQ(state.player.PlayState(), 0);
  // Repeat mode on a song whose file has gone since.
  state.lblplaymode = "4";
  say("p 1");
  std::filesystem::remove(path("m/songb.mp3"));
  chat.sent.clear();
  SongEnd(state);
  EXPECT_EQ(chat.sent, replies({"error: <u>01</b>. songb</u> cannot be played"}));
}

TEST_F(TransportTest, PlayByNumberLooksAgainAfterItsPause) {
  // A "ref" handled in the pause leaves two songs: song 12 is gone by the time it would open.
  const auto small = folderWith("small", {});
  put(path("small/a.mp3"), SilentMp3(3));
  put(path("small/b.mp3"), SilentMp3(3));
  std::vector<std::string> refReply;
  QTimer::singleShot(0, [&] {
    writeDirs(small);
    refReply = say("ref");
  });
  const auto sent = say("p 12");
  EXPECT_EQ(refReply, replies({"<b>01</b> dirs refeshed! <b>002</b> files"}));
  EXPECT_EQ(sent.back(), replies({"file does not exist"}).front());
  EXPECT_EQ(state.lblsong, "");
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
  writeDirs(folderWith("bad", {"a.mp3", "b.mp3"}));
  say("ref");
  EXPECT_EQ(say("r"), replies({"error: no playable files"}));
  EXPECT_EQ(say("r a"), replies({"error: no playable files"}));
  EXPECT_EQ(state.lblsong, "");
  EXPECT_EQ(say("shuffle"), replies({"shuffle mode: on"}));
}

}  // namespace
}  // namespace spindeck::testing
