// The play modes at the real end of short songs played by the program (null output, paced in
// real time), through the stand-in chat client.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFile>
#include <set>

#include "tests/support/jukebox.h"

namespace spindeck::e2e {
namespace {

const QStringList kShortSong = {"--seconds", "2"};
// Time for a short song to end and the next to be announced.
constexpr int kSongEndMs = 6000;

// Says the command and gives its answer, past the announcements of songs that the play mode
// started meanwhile (a short song may end before the command is handled).
std::string AskPast(Jukebox& deck, const std::string& command,
                    const std::set<std::string>& announcements) {
  deck.Say(command);
  std::string reply = deck.NextReply();
  while (announcements.contains(reply)) reply = deck.NextReply();
  return reply;
}

// Waits until the song that plays has ended and nothing was announced meanwhile. "pause"
// pauses a song that plays and says nothing once it has stopped; the sentinel's answer right
// after it tells the two apart.
bool EndsQuietly(Jukebox& deck) {
  const QDeadlineTimer deadline(30000);
  while (!deadline.hasExpired()) {
    deck.Say("pause");
    deck.Say("eliteoff");
    const std::string reply = deck.NextReply();
    if (reply.find("elite text: off") != std::string::npos) return true;
    if (reply != Line("current song paused")) {
      ADD_FAILURE() << "came while the song should end quietly: " << reply;
      return false;
    }
    if (deck.NextReply().find("elite text: off") == std::string::npos) return false;
    if (deck.Ask("pause") != Line("song resumed playing, unpaused")) return false;
  }
  ADD_FAILURE() << "the song did not end";
  return false;
}

TEST(MusicModesE2E, ShuffleShuffleByTextAndRepeatAtTheSongsEnd) {
  Jukebox deck;
  ASSERT_TRUE(deck.started());
  for (const char* name : {"a.mp3", "b.mp3", "red.mp3"})
    ASSERT_TRUE(deck.MakeSong(name, kShortSong));
  EXPECT_EQ(deck.Refresh(), Line("<b>01</b> dirs refeshed! <b>003</b> files"));

  EXPECT_EQ(deck.Ask("shuffle"), Line("shuffle mode: on"));
  EXPECT_EQ(deck.Ask("p 1"), Line("playing: <b>01</b>. a"));
  const std::set<std::string> anyShuffle = {Line("shuffle: <b>01</b>. a"),
                                            Line("shuffle: <b>02</b>. b"),
                                            Line("shuffle: <b>03</b>. red")};
  const std::string shuffled = deck.NextReply(kSongEndMs);
  EXPECT_TRUE(anyShuffle.contains(shuffled)) << shuffled;

  EXPECT_EQ(AskPast(deck, "shuffle red", anyShuffle), Line("shuffle mode: on"));
  EXPECT_EQ(deck.NextReply(kSongEndMs), Line("shuffle: <b>03</b>. red"));
  // Shuffling by a text that no entry holds ends the mode: nothing plays after that.
  EXPECT_EQ(AskPast(deck, "shuffle zzz", {Line("shuffle: <b>03</b>. red")}),
            Line("shuffle mode: on"));
  EXPECT_EQ(deck.NextReply(kSongEndMs), Line("no matches found for <u>zzz</u>"));
  EXPECT_TRUE(deck.NothingBefore());

  EXPECT_EQ(deck.Ask("repon"), Line("repeat mode: on"));
  EXPECT_EQ(deck.Ask("p 2"), Line("playing: <b>02</b>. b"));
  EXPECT_EQ(deck.NextReply(kSongEndMs), Line("playing: <b>02</b>. b"));
  EXPECT_EQ(AskPast(deck, "repoff", {Line("playing: <b>02</b>. b")}), Line("repeat mode: off"));
  EXPECT_TRUE(EndsQuietly(deck));
}

TEST(MusicModesE2E, ContinuePlaysTheNextEntryAndStopsAfterTheLast) {
  Jukebox deck;
  ASSERT_TRUE(deck.started());
  for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) ASSERT_TRUE(deck.MakeSong(name, kShortSong));
  EXPECT_EQ(deck.Refresh(), Line("<b>01</b> dirs refeshed! <b>003</b> files"));

  EXPECT_EQ(deck.Ask("cont"), Line("continue mode: on"));
  EXPECT_EQ(deck.Ask("next"), Line("playing: <b>02</b>. b"));
  EXPECT_EQ(deck.NextReply(kSongEndMs), Line("playing: <b>03</b>. c"));
  EXPECT_TRUE(EndsQuietly(deck));
}

TEST(MusicModesE2E, RepeatOfAnEntryThatAnotherContainsOpensTheDialogue) {
  Jukebox deck;
  ASSERT_TRUE(deck.started());
  // One real song under 105 names, in list order: four, then "a" fifth, 99 more, "ab" last.
  ASSERT_TRUE(deck.MakeSong("0001.mp3", {"--seconds", "1"}));
  QStringList names = {"0002.mp3", "0003.mp3", "0004.mp3", "a.mp3"};
  for (int i = 0; i < 99; ++i) names << QString("a%1.mp3").arg(i, 3, 10, QChar('0'));
  names << "ab.mp3";
  for (const QString& name : names)
    ASSERT_TRUE(QFile::copy(deck.song("0001.mp3"), deck.song(name)));
  EXPECT_EQ(deck.Refresh(), Line("<b>01</b> dirs refeshed! <b>105</b> files"));

  EXPECT_EQ(deck.Ask("repon"), Line("repeat mode: on"));
  EXPECT_EQ(deck.Ask("p 5"), Line("playing: <b>05</b>. a"));
  // Repeating searches for the entry "05. a", which "105. ab" holds too.
  EXPECT_EQ(
      deck.NextReply(kSongEndMs),
      Line(std::string("<b>02</b> matches found for <u>05. a</u>") + kMiddle + "scroll, cancel"));
  // The dialogue listens only from just after its line went out, and a test types faster than
  // a user: "cancel" is said again until the dialogue answers it. Each try ends with a command
  // of the program's own, whose answer shows that the try was read.
  bool cancelled = false;
  for (int tries = 0; tries < 10 && !cancelled; ++tries) {
    deck.Say("cancel");
    deck.Say("eliteoff");
    for (std::string reply = deck.NextReply(); reply.find("elite text: off") == std::string::npos;
         reply = deck.NextReply()) {
      ASSERT_EQ(reply, Line("user cancelled action"));
      cancelled = true;
    }
  }
  EXPECT_TRUE(cancelled);
  EXPECT_TRUE(deck.NothingBefore());
  // The program still answers commands.
  EXPECT_EQ(deck.Ask("dirs"), Line("<b>01</b> dirs and <b>105</b> files"));
}

}  // namespace
}  // namespace spindeck::e2e
