// The transport commands typed in the chat room, against real songs played by the program
// (null output): the exact reply lines, and what the player does as the replies show it.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <set>

#include "tests/support/jukebox.h"

namespace spindeck::e2e {
namespace {

// The "pos" line of a song for each whole second from `first` to `last` (under a minute).
std::set<std::string> PosLines(const std::string& display, int first, int last,
                               const std::string& length) {
  std::set<std::string> lines;
  for (int s = first; s <= last; ++s) {
    const std::string position = "00:" + std::string(s < 10 ? "0" : "") + std::to_string(s);
    lines.insert(Line("<b>" + display + kMiddle + "<b>" + position + "</b>/<b>" + length + "</b>"));
  }
  return lines;
}

TEST(MusicTransportE2E, CommandsWithoutSongsSayWhatIsMissing) {
  Jukebox deck;
  ASSERT_TRUE(deck.started());
  EXPECT_EQ(deck.Ask("p 1"), Line("you have no files/direcotires loaded"));
  EXPECT_EQ(deck.Ask("p blue"), Line("you have no files/direcotires loaded"));
  EXPECT_EQ(deck.Ask("r"), Line("you have no files/direcotires loaded"));
  EXPECT_EQ(deck.Pos(), Line("error: no song playing"));
  EXPECT_EQ(deck.Ask("ff 5"), Line("error: no song playing"));
  EXPECT_EQ(deck.Ask("rw 5"), Line("error: no song playing"));
  EXPECT_EQ(deck.Ask("pause"), Line("error: no song playing"));
  EXPECT_EQ(deck.Ask("rst"), Line("error: no song playing"));
  EXPECT_EQ(deck.Ask("id3"), Line("error: no mp3 file loaded"));
  EXPECT_EQ(deck.Ask("del"), Line("error: no mp3 loaded"));
  // Start-up loaded nothing: the library comes with "ref".
  EXPECT_EQ(deck.Refresh(), Line("<b>01</b> dirs refeshed! <b>000</b> files"));
}

TEST(MusicTransportE2E, PlayByNumberAndTextAtRandomAndWalkingThePlaylist) {
  Jukebox deck;
  ASSERT_TRUE(deck.started());
  for (const char* name : {"Alpha.mp3", "Mr. Blue.mp3", "Zed.mp3"}) {
    ASSERT_TRUE(deck.MakeSong(name, {"--seconds", "8"}));
  }
  EXPECT_EQ(deck.Refresh(), Line("<b>01</b> dirs refeshed! <b>003</b> files"));

  // Nothing selected yet: "next" starts from the first entry and plays the second.
  EXPECT_EQ(deck.Ask("next"), Line("playing: <b>02</b>. mr</b>. blue"));
  EXPECT_EQ(deck.Ask("next"), Line("playing: <b>03</b>. zed"));
  EXPECT_EQ(deck.Ask("next"), Line("file does not exist"));
  EXPECT_EQ(deck.Ask("prev 2"), Line("playing: <b>01</b>. alpha"));
  EXPECT_EQ(deck.Ask("prev"), Line("file does not exist"));
  EXPECT_EQ(deck.Ask("next 5"), Line("file does not exist"));

  EXPECT_EQ(deck.Ask("p 3"), Line("playing: <b>03</b>. zed"));
  EXPECT_EQ(deck.Ask("p 4"), Line("file does not exist"));
  EXPECT_EQ(deck.Ask("p 0"), Line("file does not exist"));
  EXPECT_EQ(deck.Ask("p BLUE"), Line("playing: <b>02</b>. mr</b>. blue"));
  EXPECT_EQ(deck.Ask("p nothing"), Line("no matches found for <u>nothing</u>"));
  // The search keeps the last song playing.
  EXPECT_TRUE(PosLines("02</b>. mr</b>. blue", 0, 3, "00:08").contains(deck.Pos()));

  const std::set<std::string> anyRandom = {Line("random: <b>01</b>. alpha"),
                                           Line("random: <b>02</b>. mr</b>. blue"),
                                           Line("random: <b>03</b>. zed")};
  const std::string random = deck.Ask("r");
  EXPECT_TRUE(anyRandom.contains(random)) << random;
  EXPECT_EQ(deck.Ask("r zed"), Line("random: <b>03</b>. zed"));
  EXPECT_EQ(deck.Ask("r nothing"), Line("no matches found for <u>nothing</u>"));
  EXPECT_TRUE(PosLines("03</b>. zed", 0, 2, "00:08").contains(deck.Pos()));
  EXPECT_TRUE(deck.program().running());
}

TEST(MusicTransportE2E, SkipPauseRestartAndStopThePlayingSong) {
  Jukebox deck;
  ASSERT_TRUE(deck.started());
  ASSERT_TRUE(deck.MakeSong("alpha.mp3", {"--seconds", "8"}));
  EXPECT_EQ(deck.Refresh(), Line("<b>01</b> dirs refeshed! <b>001</b> files"));
  const std::string alpha = "01</b>. alpha";

  EXPECT_EQ(deck.Ask("p 1"), Line("playing: <b>01</b>. alpha"));
  EXPECT_EQ(deck.Ask("ff 5"), Line("skipped forward <b>05</b> seconds"));
  EXPECT_TRUE(PosLines(alpha, 5, 7, "00:08").contains(deck.Pos()));
  EXPECT_EQ(deck.Ask("ff 10"), Line("error: seconds skipped is greater than song length"));
  EXPECT_EQ(deck.Ask("rw 9"), Line("error: current position less than seconds skipped"));
  EXPECT_EQ(deck.Ask("rw 5"), Line("skipped back <b>05</b> seconds"));
  EXPECT_TRUE(PosLines(alpha, 0, 2, "00:08").contains(deck.Pos()));

  // A paused song keeps its position.
  EXPECT_EQ(deck.Ask("pause"), Line("current song paused"));
  const std::string paused = deck.Pos();
  EXPECT_TRUE(PosLines(alpha, 0, 2, "00:08").contains(paused)) << paused;
  Spin(1500);
  EXPECT_EQ(deck.Pos(), paused);
  EXPECT_EQ(deck.Ask("pause"), Line("song resumed playing, unpaused"));

  // "rst" plays the song again from its start.
  EXPECT_EQ(deck.Ask("ff 4"), Line("skipped forward <b>04</b> seconds"));
  EXPECT_TRUE(PosLines(alpha, 4, 7, "00:08").contains(deck.Pos()));
  EXPECT_EQ(deck.Ask("rst"), Line("playing: <b>01</b>. alpha"));
  EXPECT_TRUE(PosLines(alpha, 0, 2, "00:08").contains(deck.Pos()));

  // A stopped song is rewound, and "pause" has nothing to pause.
  EXPECT_EQ(deck.Ask("stop"), Line("song stopped playing"));
  deck.Say("pause");
  EXPECT_TRUE(deck.Silent(1500));
  EXPECT_EQ(deck.Pos(), *PosLines(alpha, 0, 0, "00:08").begin());
}

TEST(MusicTransportE2E, TagsAreShownLineByLineAndDeleteRemovesTheFile) {
  Jukebox deck;
  ASSERT_TRUE(deck.started());
  ASSERT_TRUE(deck.MakeSong(
      "Alpha.mp3", {"--seconds", "3", "--title", "Blue Sky", "--artist", "The Band", "--album",
                    "First Light", "--year", "1999", "--comment", "Made For Tests"}));
  ASSERT_TRUE(deck.MakeSong("gone.mp3", {"--seconds", "3"}));
  ASSERT_TRUE(deck.MakeSong("zed.mp3", {"--seconds", "3"}));
  EXPECT_EQ(deck.Refresh(), Line("<b>01</b> dirs refeshed! <b>003</b> files"));

  EXPECT_EQ(deck.Ask("p 1"), Line("playing: <b>01</b>. alpha"));
  QElapsedTimer clock;
  EXPECT_EQ(deck.Ask("id3"), Line("artist: the band"));
  clock.start();
  EXPECT_EQ(deck.NextReply(), Line("album: first light"));
  EXPECT_EQ(deck.NextReply(), Line("year: 1999"));
  EXPECT_EQ(deck.NextReply(), Line("song: blue sky"));
  EXPECT_EQ(deck.NextReply(), Line("comment: made for tests"));
  // Four pauses of a second between the five lines.
  EXPECT_GE(clock.elapsed(), 3500);

  EXPECT_EQ(deck.Ask("p 3"), Line("playing: <b>03</b>. zed"));
  EXPECT_EQ(deck.Ask("id3"), Line("artist: n/a"));
  EXPECT_EQ(deck.NextReply(), Line("album: n/a"));
  EXPECT_EQ(deck.NextReply(), Line("year: n/a"));
  EXPECT_EQ(deck.NextReply(), Line("song: n/a"));
  EXPECT_EQ(deck.NextReply(), Line("comment: n/a"));

  EXPECT_EQ(deck.Ask("del"), Line("file deleted sucessfully!"));
  EXPECT_FALSE(QFile::exists(deck.song("zed.mp3")));
  EXPECT_EQ(deck.Ask("del"), Line("error: file could not be deleted"));

  // A file removed behind the program's back cannot be deleted either.
  EXPECT_EQ(deck.Ask("p 2"), Line("playing: <b>02</b>. gone"));
  ASSERT_TRUE(QFile::remove(deck.song("gone.mp3")));
  EXPECT_EQ(deck.Ask("del"), Line("error: file could not be deleted"));
  EXPECT_TRUE(QFile::exists(deck.song("Alpha.mp3")));
  EXPECT_EQ(deck.Refresh(), Line("<b>01</b> dirs refeshed! <b>001</b> files"));
}

}  // namespace
}  // namespace spindeck::e2e
