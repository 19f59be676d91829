// The transport commands typed in the chat room, against real songs played by the program
// (null output): the exact reply lines, and what the player does as the replies show it.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <set>

#include "tests/support/jukebox.h"

namespace spindeck::e2e {
namespace {

// Long enough never to end before the checks of where it is, on the busiest machine.
const QStringList kSong = {"--seconds", "40"};
constexpr char kLength[] = "00:40";

// The "pos" line of a song at a whole second (under a minute).
std::string PosLine(const std::string& display, int second) {
  const std::string position = "00:" + std::string(second < 10 ? "0" : "") + std::to_string(second);
  return Line("<b>" + display + kMiddle + "<b>" + position + "</b>/<b>" + kLength + "</b>");
}

// The second a "pos" line of the song shows; -1 when it is no such line.
int ShownSecond(const std::string& line, const std::string& display) {
  for (int second = 0; second < 60; ++second) {
    if (line == PosLine(display, second)) return second;
  }
  return -1;
}

// Asks "pos" until it shows the song at a second from `first` up to `first` plus the time the
// clock has run (a song plays on meanwhile, however slow the machine), rounded either way;
// gives the second shown, or -1 after it showed anything else for 10 s.
int PosFrom(Jukebox& deck, const std::string& display, int first, const QElapsedTimer& clock) {
  int shown = -1;
  deck.Pos([&](const std::string& line) {
    shown = ShownSecond(line, display);
    return shown >= first - 1 && shown <= first + clock.elapsed() / 1000 + 1;
  });
  const int last = first + static_cast<int>(clock.elapsed() / 1000) + 1;
  EXPECT_TRUE(shown >= first - 1 && shown <= last)
      << display << " at " << shown << ", not within " << first << " to " << last;
  return shown;
}

TEST(MusicTransportE2E, PlayByNumberAndTextAtRandomAndWalkingThePlaylist) {
  Jukebox deck;
  ASSERT_TRUE(deck.started());
  // Start-up loads no songs: the library comes with "ref".
  EXPECT_EQ(deck.Ask("p 1"), Line("you have no files/direcotires loaded"));
  for (const char* name : {"Alpha.mp3", "Mr. Blue.mp3", "Zed.mp3"}) {
    ASSERT_TRUE(deck.MakeSong(name, kSong));
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
  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(deck.Ask("p BLUE"), Line("playing: <b>02</b>. mr</b>. blue"));
  EXPECT_EQ(deck.Ask("p nothing"), Line("no matches found for <u>nothing</u>"));
  // The search keeps the last song playing.
  PosFrom(deck, "02</b>. mr</b>. blue", 0, clock);

  const std::set<std::string> anyRandom = {Line("random: <b>01</b>. alpha"),
                                           Line("random: <b>02</b>. mr</b>. blue"),
                                           Line("random: <b>03</b>. zed")};
  const std::string random = deck.Ask("r");
  EXPECT_TRUE(anyRandom.contains(random)) << random;
  clock.restart();
  EXPECT_EQ(deck.Ask("r zed"), Line("random: <b>03</b>. zed"));
  EXPECT_EQ(deck.Ask("r nothing"), Line("no matches found for <u>nothing</u>"));
  PosFrom(deck, "03</b>. zed", 0, clock);
}

TEST(MusicTransportE2E, SkipRestartAndStopThePlayingSong) {
  Jukebox deck;
  ASSERT_TRUE(deck.started());
  ASSERT_TRUE(deck.MakeSong("alpha.mp3", kSong));
  EXPECT_EQ(deck.Refresh(), Line("<b>01</b> dirs refeshed! <b>001</b> files"));
  const std::string alpha = "01</b>. alpha";

  // Each skip moves from where the song was: at most the time since it started further on.
  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(deck.Ask("p 1"), Line("playing: <b>01</b>. alpha"));
  EXPECT_EQ(deck.Ask("ff 20"), Line("skipped forward <b>20</b> seconds"));
  const int skipped = PosFrom(deck, alpha, 20, clock);
  EXPECT_EQ(deck.Ask("ff 50"), Line("error: seconds skipped is greater than song length"));
  EXPECT_EQ(deck.Ask("rw 50"), Line("error: current position less than seconds skipped"));
  clock.restart();
  EXPECT_EQ(deck.Ask("rw 15"), Line("skipped back <b>15</b> seconds"));
  PosFrom(deck, alpha, skipped - 15, clock);

  // "rst" plays the song again from its start.
  clock.restart();
  EXPECT_EQ(deck.Ask("rst"), Line("playing: <b>01</b>. alpha"));
  PosFrom(deck, alpha, 0, clock);

  // A stopped song is rewound, and "pause" has nothing to pause.
  EXPECT_EQ(deck.Ask("stop"), Line("song stopped playing"));
  deck.Say("pause");
  EXPECT_TRUE(deck.NothingBefore());
  EXPECT_EQ(deck.Pos([&](const std::string& line) { return line == PosLine(alpha, 0); }),
            PosLine(alpha, 0));
}

// Only time shows that a paused song stays where it is.
TEST(MusicTransportTimed, APausedSongKeepsItsPosition) {
  Jukebox deck;
  ASSERT_TRUE(deck.started());
  ASSERT_TRUE(deck.MakeSong("alpha.mp3", kSong));
  EXPECT_EQ(deck.Refresh(), Line("<b>01</b> dirs refeshed! <b>001</b> files"));
  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(deck.Ask("p 1"), Line("playing: <b>01</b>. alpha"));
  EXPECT_EQ(deck.Ask("pause"), Line("current song paused"));
  const int paused = PosFrom(deck, "01</b>. alpha", 0, clock);
  Spin(2500);
  EXPECT_EQ(deck.Pos(), PosLine("01</b>. alpha", paused));
  clock.restart();
  EXPECT_EQ(deck.Ask("pause"), Line("song resumed playing, unpaused"));
  PosFrom(deck, "01</b>. alpha", paused, clock);
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
