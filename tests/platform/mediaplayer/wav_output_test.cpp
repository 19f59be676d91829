// The audio itself, through the wav output (SPINDECK_AUDIO=wav:PATH): what would be heard.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

#include "platform/mediaplayer/audio_output_choice.h"
#include "platform/mediaplayer/media_player.h"
#include "tests/support/test_songs.h"

namespace {

using platform::MediaPlayer;
using spindeck::testing::MakeTestSong;
using spindeck::testing::ReadWav;
using spindeck::testing::Rms;
using spindeck::testing::WavAudio;

class WavOutputTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

  std::string Song(const char* name, const QStringList& options) {
    const QString path = dir_.filePath(name);
    EXPECT_TRUE(MakeTestSong(path, options));
    return path.toStdString();
  }

  // Plays `song` to its end into a fresh wav file, with the given rate and volume, and reads the
  // file back. `seekTo` (seconds), when not negative, is set right after Open.
  WavAudio PlayToEnd(const std::string& song, double rate = 1.0, int volume = 0,
                     double seekTo = -1.0) {
    const std::string wav = dir_.filePath(QString("out%1.wav").arg(++runs_)).toStdString();
    qputenv("SPINDECK_AUDIO", QByteArray::fromStdString("wav:" + wav));
    MediaPlayer player;
    player.SetRate(rate);
    player.SetVolume(volume);
    QSignalSpy spy(&player, &MediaPlayer::EndOfStream);
    player.Open(song);
    if (seekTo >= 0) player.SetCurrentPosition(seekTo);
    EXPECT_TRUE(spy.wait(10000)) << song;
    EXPECT_EQ(player.OutputName(), "wav");
    return ReadWav(wav);
  }

  QTemporaryDir dir_;
  int runs_ = 0;
};

TEST_F(WavOutputTest, WritesExactlyTheSongsSamplesAtNormalRate) {
  const WavAudio audio = PlayToEnd(Song("one.mp3", {"--seconds", "1", "--volume", "0.5"}));
  ASSERT_TRUE(audio.valid);
  EXPECT_EQ(audio.rate, 44100);
  EXPECT_EQ(audio.channels, 2);
  EXPECT_EQ(audio.frames(), 44100u);
  // A sine of amplitude 0.5 has an RMS of 0.5 / sqrt(2).
  EXPECT_NEAR(Rms(audio.samples), 0.5 / std::sqrt(2.0), 0.02);
}

TEST_F(WavOutputTest, MonoSongAtItsOwnRateComesOutOnBothChannels) {
  const WavAudio audio =
      PlayToEnd(Song("mono.mp3", {"--seconds", "1", "--mono", "--rate", "22050"}));
  ASSERT_TRUE(audio.valid);
  EXPECT_EQ(audio.rate, 22050);
  EXPECT_EQ(audio.channels, 2);
  EXPECT_EQ(audio.frames(), 22050u);
  for (std::size_t i = 0; i < audio.samples.size(); i += 2) {
    ASSERT_EQ(audio.samples[i], audio.samples[i + 1]) << i;
  }
}

TEST_F(WavOutputTest, RateTwoPlaysATwoSecondSongInAboutOneSecond) {
  const WavAudio audio = PlayToEnd(Song("two.mp3", {"--seconds", "2"}), 2.0);
  ASSERT_TRUE(audio.valid);
  EXPECT_EQ(audio.rate, 44100);
  EXPECT_NEAR(static_cast<double>(audio.frames()), 44100.0, 44100.0 * 0.01);
  // Still a tone at full level, not silence or clipping.
  EXPECT_NEAR(Rms(audio.samples), 0.5 / std::sqrt(2.0), 0.03);
}

TEST_F(WavOutputTest, VolumeMinus1250IsAbout12AndAHalfDecibelsQuieter) {
  const std::string song = Song("loud.mp3", {"--seconds", "1", "--volume", "0.8"});
  const WavAudio full = PlayToEnd(song, 1.0, 0);
  const WavAudio lower = PlayToEnd(song, 1.0, -1250);
  const WavAudio lowest = PlayToEnd(song, 1.0, -2500);
  ASSERT_TRUE(full.valid && lower.valid && lowest.valid);
  EXPECT_NEAR(20.0 * std::log10(Rms(full.samples) / Rms(lower.samples)), 12.5, 0.1);
  // The lowest setting is -25 dB, not silence.
  EXPECT_NEAR(20.0 * std::log10(Rms(full.samples) / Rms(lowest.samples)), 25.0, 0.2);
}

TEST_F(WavOutputTest, AJumpSkipsTheSamplesItPassesOver) {
  // Jumping to 1.5 s of a 2-second song right after Open leaves half a second, plus at most
  // the couple of pieces that were already on their way out.
  const WavAudio audio = PlayToEnd(Song("jump.mp3", {"--seconds", "2"}), 1.0, 0, 1.5);
  ASSERT_TRUE(audio.valid);
  EXPECT_GE(audio.frames(), 22050u);
  EXPECT_LE(audio.frames(), 22050u + 3 * 1152u);
}

TEST(AudioOutputChoiceTest, ReadsTheNamedOutputs) {
  using Kind = platform::AudioOutputChoice::Kind;
  EXPECT_EQ(platform::ParseAudioOutputChoice(nullptr).kind, Kind::kAutomatic);
  EXPECT_EQ(platform::ParseAudioOutputChoice("").kind, Kind::kAutomatic);
  EXPECT_EQ(platform::ParseAudioOutputChoice("speakers").kind, Kind::kAutomatic);
  EXPECT_EQ(platform::ParseAudioOutputChoice("null").kind, Kind::kNull);
  EXPECT_EQ(platform::ParseAudioOutputChoice("pulse").kind, Kind::kPulse);
  EXPECT_EQ(platform::ParseAudioOutputChoice("alsa").kind, Kind::kAlsa);
  EXPECT_EQ(platform::ParseAudioOutputChoice("wav:").kind, Kind::kNull);
  const auto wav = platform::ParseAudioOutputChoice("wav:/tmp/a b:c.wav");
  EXPECT_EQ(wav.kind, Kind::kWav);
  EXPECT_EQ(wav.wavPath, "/tmp/a b:c.wav");
}

}  // namespace
