// Playback into a private PulseAudio server's null sink, through libout123's "pulse" module.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

#include "platform/mediaplayer/media_player.h"
#include "tests/platform/volume/private_pulse_server.h"
#include "tests/support/test_songs.h"

namespace {

using platform::MediaPlayer;
using spindeck::testing::PrivatePulseServer;

TEST(PulseOutputTest, ASongReachesTheDefaultSinkAtItsPace) {
  PrivatePulseServer server;
  SPINDECK_START_PULSE_OR_SKIP(server);
  QTemporaryDir dir;
  const QString song = dir.filePath("song.mp3");
  ASSERT_TRUE(spindeck::testing::MakeTestSong(song, {"--seconds", "1.5", "--volume", "0.5"}));

  // Record what reaches the sink.
  const QString recording = dir.filePath("monitor.wav");
  QProcess parecord;
  ASSERT_TRUE(server.StartRecordingMonitor(parecord, recording));
  QElapsedTimer recordingClock;
  recordingClock.start();
  // Recording once the first sound (silence) has come in.
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return PrivatePulseServer::RecordedMs(recording) > 0; }, 10000));

  for (const char* choice : {"pulse", "automatic"}) {
    qputenv("SPINDECK_AUDIO", choice);
    MediaPlayer player;
    QSignalSpy spy(&player, &MediaPlayer::EndOfStream);
    QElapsedTimer clock;
    clock.start();
    player.Open(song.toStdString());
    ASSERT_TRUE(spy.wait(30000)) << choice;
    // Played at its pace, not decoded and dropped at once.
    EXPECT_GE(clock.elapsed(), 1400) << choice;
    EXPECT_EQ(player.OutputName(), "pulse") << choice;
  }
  qunsetenv("SPINDECK_AUDIO");

  // Everything the sink played reaches the recording, which runs at the sink's pace: wait until
  // it holds as much sound as time has passed since it started, and a little more for the
  // sink's latency.
  const qint64 played = recordingClock.elapsed() + 200;
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return PrivatePulseServer::RecordedMs(recording) >= played; }, 10000));
  parecord.terminate();
  ASSERT_TRUE(parecord.waitForFinished(3000));
  const auto heard = spindeck::testing::ReadWav(recording.toStdString());
  ASSERT_TRUE(heard.valid);
  // Two songs' worth of a tone at half amplitude reached the sink (the sink's volume is 100%).
  std::vector<std::int16_t> loud;
  for (std::int16_t s : heard.samples)
    if (std::abs(s) > 3000) loud.push_back(s);
  EXPECT_GT(static_cast<double>(loud.size()) / heard.channels / heard.rate, 2.0);
  EXPECT_GT(spindeck::testing::Rms(heard.samples), 0.15);
}

}  // namespace
