// The player against a private PulseAudio server that goes away and comes back, or stops
// answering altogether.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>
#include <string>

#include "platform/mediaplayer/media_player.h"
#include "tests/platform/volume/private_pulse_server.h"
#include "tests/support/test_songs.h"
#include "tests/support/watchdog.h"

namespace {

using platform::MediaPlayer;
using spindeck::testing::PrivatePulseServer;

class SoundServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    song_ = dir_.filePath("long.mp3").toStdString();
    ASSERT_TRUE(spindeck::testing::MakeTestSong(QString::fromStdString(song_),
                                                {"--seconds", "60", "--volume", "0.1"}));
    qputenv("SPINDECK_AUDIO", "pulse");
  }
  void TearDown() override { qunsetenv("SPINDECK_AUDIO"); }

  static bool WaitUntil(const std::function<bool()>& done) { return QTest::qWaitFor(done, 20000); }

  // Opens the long song and waits until the server is hearing it.
  bool StartPlaying(MediaPlayer& player) const {
    player.Open(song_);
    return WaitUntil([&] { return player.OutputName() == "pulse"; }) &&
           WaitUntil([&] { return player.CurrentPosition() > 0.2; });
  }

  QTemporaryDir dir_;
  std::string song_;
};

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST_F(SoundServerTest, AfterTheServerRestartsThePlayerPlaysOnItAgain) {
  PrivatePulseServer server;
  SPINDECK_START_PULSE_OR_SKIP(server);
  MediaPlayer player;
  ASSERT_TRUE(StartPlaying(player));

  ::testing::internal::CaptureStderr();
  server.Kill();
  // Silence stands in while the server is gone; the song goes on.
  const bool fell = WaitUntil([&] { return player.OutputName() == "null"; });
  const double silentAt = player.CurrentPosition();
  const bool movedOn = WaitUntil([&] { return player.CurrentPosition() > silentAt + 3.5; });
  const bool restarted = server.Restart();
  const bool back = WaitUntil([&] { return player.OutputName() == "pulse"; });
  const std::string errors = ::testing::internal::GetCapturedStderr();
  ASSERT_TRUE(fell);
  EXPECT_TRUE(movedOn);
  ASSERT_TRUE(restarted) << server.error().toStdString();
  EXPECT_TRUE(back);
  EXPECT_EQ(player.PlayState(), 2);
  // Once per fall, although the server was tried again meanwhile.
  EXPECT_EQ(Count(errors, "playing on in silence"), 1u) << errors;

  // A new song tries the output again too.
  server.Kill();
  ASSERT_TRUE(WaitUntil([&] { return player.OutputName() == "null"; }));
  ASSERT_TRUE(server.Restart()) << server.error().toStdString();
  player.Open(song_);
  EXPECT_TRUE(WaitUntil([&] { return player.OutputName() == "pulse"; }));
}

TEST_F(SoundServerTest, ThePlayerCanBeDestroyedWhileTheServerIsStopped) {
  PrivatePulseServer server;
  SPINDECK_START_PULSE_OR_SKIP(server);
  {
    const spindeck::testing::Watchdog bound(std::chrono::seconds(30),
                                            "destroying a player stuck in a write");
    MediaPlayer player;
    ASSERT_TRUE(StartPlaying(player));
    server.Freeze();
    // The server takes no more audio; the playback thread is soon stuck in a write.
    bool stuck = false;
    for (double last = -1.0; !stuck && player.CurrentPosition() < 30.0;) {
      const double now = player.CurrentPosition();
      stuck = now == last;
      last = now;
      QTest::qWait(300);
    }
    ASSERT_TRUE(stuck);
    player.Stop();
  }  // does not wait for the stuck thread for ever
  server.Thaw();
}

}  // namespace
