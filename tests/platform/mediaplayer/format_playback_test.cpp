// The player with songs of every format beside MP3, through the wav output
// (SPINDECK_AUDIO=wav:PATH), which writes exactly what would be heard: the exact length, the
// whole song played, the pitch at normal speed and faster, and a jump that lands where it
// should.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>

#include "platform/mediaplayer/media_player.h"
#include "tests/support/format_songs.h"
#include "tests/support/test_songs.h"

namespace {

using platform::MediaPlayer;
using spindeck::testing::AllSongFormats;
using spindeck::testing::FormatName;
using spindeck::testing::MakeFormatSong;
using spindeck::testing::ReadWav;
using spindeck::testing::SongFrames;
using spindeck::testing::SongRate;
using spindeck::testing::ToneFrequency;
using spindeck::testing::WavAudio;

constexpr double kHz = 440.0;
constexpr double kSeconds = 1.0;
// "itempo 5": five steps of 0.04 up.
constexpr double kFaster = 1.2;
constexpr double kJumpSeconds = 0.5;

TEST(FormatPlayback, EveryFormatPlaysWholeAtItsPitchAndJumpsAtAnyTempo) {
  QTemporaryDir dir;
  int runs = 0;
  for (auto format : AllSongFormats()) {
    SCOPED_TRACE(FormatName(format));
    // Upper-case extensions that do not match the content: the content decides.
    const std::string song =
        dir.filePath(QString::fromStdString(FormatName(format)) + ".OGG").toStdString();
    ASSERT_TRUE(MakeFormatSong(QString::fromStdString(song), {format, kSeconds, kHz, {}}));
    const long rate = SongRate(format);
    const std::int64_t frames = SongFrames({format, kSeconds, kHz, {}});

    // Plays the song into a fresh wav file at `speed`, jumping to `jump` seconds first.
    const auto play = [&](double speed, double jump) {
      const std::string wav = dir.filePath(QString("out%1.wav").arg(++runs)).toStdString();
      qputenv("SPINDECK_AUDIO", QByteArray::fromStdString("wav:" + wav));
      MediaPlayer player;
      player.SetRate(speed);
      QSignalSpy ended(&player, &MediaPlayer::EndOfStream);
      player.Open(song);
      EXPECT_EQ(player.FileName(), song);
      EXPECT_EQ(player.Duration(), static_cast<double>(frames) / static_cast<double>(rate));
      if (jump > 0) {
        player.SetCurrentPosition(jump);
        EXPECT_NEAR(player.CurrentPosition(), jump, 0.05);
      }
      EXPECT_TRUE(ended.wait(10000));
      EXPECT_EQ(player.PlayState(), 0);
      return ReadWav(wav);
    };

    const WavAudio normal = play(1.0, 0.0);
    ASSERT_TRUE(normal.valid);
    EXPECT_EQ(normal.rate, rate);
    EXPECT_EQ(static_cast<std::int64_t>(normal.frames()), frames);
    EXPECT_NEAR(ToneFrequency(normal.samples, normal.channels, normal.rate), kHz, 1.0);

    const WavAudio faster = play(kFaster, kJumpSeconds);
    ASSERT_TRUE(faster.valid);
    EXPECT_NEAR(ToneFrequency(faster.samples, faster.channels, faster.rate), kHz * kFaster, 2.0);
    // What was left after the jump, played faster; at most one piece went out before it.
    const double left = (kSeconds - kJumpSeconds) / kFaster;
    EXPECT_NEAR(static_cast<double>(faster.frames()) / static_cast<double>(rate), left, 0.05);
  }
}

}  // namespace
