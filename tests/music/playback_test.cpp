// The music commands on real songs, with the player's paced silent output.
#include <QCoreApplication>
#include <QElapsedTimer>

#include "src/music/music_events.h"
#include "tests/music/music_fixture.h"
#include "tests/support/test_songs.h"

namespace spindeck::testing {
namespace {

class PlaybackTest : public MusicTest {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(path("m"));
    ASSERT_TRUE(
        MakeTestSong(QString::fromStdString(path("m/one.mp3").string()), {"--seconds", "1.5"}));
    ASSERT_TRUE(MakeTestSong(QString::fromStdString(path("m/two.mp3").string()),
                             {"--seconds", "1", "--vbr"}));
    writeDirs(path("m").string());
    say("ref");
    ConnectMusicEvents(state);
    chat.sent.clear();
  }
  // Turns the event loop until `done` holds, for at most `ms`.
  bool waitUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) {
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return done();
  }
};

TEST_F(PlaybackTest, TransportOnAPlayingSong) {
  EXPECT_EQ(say("p 1"), replies({"playing: <b>01</b>. one"}));
  EXPECT_EQ(state.player.PlayState(), 2);
  // The position timer keeps the texts current.
  EXPECT_TRUE(waitUntil([&] { return state.lbllen == "00:02"; }, 10000)) << state.lbllen;
  EXPECT_EQ(state.lblcpos.substr(0, 3), "00:");
  EXPECT_EQ(say("pause"), replies({"current song paused"}));
  EXPECT_EQ(state.player.PlayState(), 1);
  EXPECT_EQ(say("pause"), replies({"song resumed playing, unpaused"}));
  EXPECT_EQ(say("rw 5"), replies({"error: current position less than seconds skipped"}));
  EXPECT_EQ(say("ff 10"), replies({"error: seconds skipped is greater than song length"}));
  state.player.SetCurrentPosition(0.2);
  EXPECT_EQ(say("ff 1"), replies({"skipped forward <b>01</b> seconds"}));
  EXPECT_NEAR(state.player.CurrentPosition(), 1.2, 0.1);
  EXPECT_EQ(say("rw 1"), replies({"skipped back <b>01</b> seconds"}));
  EXPECT_EQ(say("stop"), replies({"song stopped playing"}));
  // A stopped song's texts are brought up to date once; then the timer rests until the
  // player changes, and a jump wakes it again.
  EXPECT_TRUE(waitUntil([&] { return state.tmrmp3.held(); }, 10000));
  EXPECT_EQ(state.lblcpos, "00:00");
  state.player.SetCurrentPosition(1.4);
  EXPECT_TRUE(waitUntil([&] { return state.lblcpos == "00:01"; }, 10000));
  EXPECT_TRUE(state.tmrmp3.isActive());
  EXPECT_TRUE(say("pause").empty());
  EXPECT_EQ(state.player.FileName(), path("m/one.mp3").string());
}

TEST_F(PlaybackTest, ContinueModePlaysOnAtTheRealEndAndStopsAfterTheLast) {
  int ends = 0;
  QObject::connect(&state.player, &platform::MediaPlayer::EndOfStream, [&] { ++ends; });
  say("cont");
  state.lstpl.setSelectedIndex(0);
  say("p 1");
  chat.sent.clear();
  ASSERT_TRUE(waitUntil([&] { return !chat.sent.empty(); }, 10000));
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(chat.sent, replies({"playing: <b>02</b>. two"}));
  EXPECT_EQ(state.lstpl.selectedIndex(), 1);
  chat.sent.clear();
  // The program handles each end right after this count goes up.
  ASSERT_TRUE(waitUntil([&] { return ends == 2; }, 10000));
  QCoreApplication::processEvents();
  EXPECT_TRUE(chat.sent.empty());
  EXPECT_EQ(state.player.PlayState(), 0);
}

TEST_F(PlaybackTest, DeleteRemovesTheOpenFileOnlyOnce) {
  say("p 2");
  EXPECT_EQ(say("del"), replies({"file deleted sucessfully!"}));
  EXPECT_FALSE(std::filesystem::exists(path("m/two.mp3")));
  EXPECT_EQ(say("del"), replies({"error: file could not be deleted"}));
  // The entry stays until the next scan; playing it opens nothing and says so.
  EXPECT_EQ(say("p 2"), replies({"error: <u>02</b>. two</u> cannot be played"}));
  EXPECT_EQ(state.player.FileName(), "");
  EXPECT_EQ(say("del"), replies({"error: no mp3 loaded"}));
}

}  // namespace
}  // namespace spindeck::testing
