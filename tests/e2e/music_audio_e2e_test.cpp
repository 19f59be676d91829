// What the music commands do to the audio itself: the program plays into the wav output
// (SPINDECK_AUDIO=wav:PATH), which writes exactly the samples that would be heard, paced in
// real time; and into a private PulseAudio server, whose sink volume "cvol" sets.
//
// The wav output is made once per program run and every song played after that is appended
// to the same file, so each song's samples are the frames added while it played.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <cmath>
#include <csignal>

#include "tests/platform/volume/private_pulse_server.h"
#include "tests/support/jukebox.h"
#include "tests/support/test_songs.h"

namespace spindeck::e2e {
namespace {

using testing::ReadWav;
using testing::Rms;
using testing::WavAudio;

constexpr double kRate = 44100.0;

std::size_t Frames(const std::string& wav) {
  return ReadWav(wav).frames();
}

// Plays the song with the command and waits for its end, which a search that finds nothing
// announces once the song has been played out ("shuffle zzz" searches at the end of the song,
// then ends the play mode); gives the file's frames then.
std::size_t PlayToTheEnd(Jukebox& deck, const std::string& wav,
                         const std::vector<std::pair<std::string, std::string>>& commands) {
  EXPECT_EQ(deck.Ask("shuffle zzz"), Line("shuffle mode: on"));
  for (const auto& [command, reply] : commands) EXPECT_EQ(deck.Ask(command), reply);
  EXPECT_EQ(deck.NextReply(30000), Line("no matches found for <u>zzz</u>"));
  return Frames(wav);
}

// The samples of frames [begin, end) of the file, without a quarter second at either end
// (where the encoder's ramps sit).
std::vector<std::int16_t> Middle(const WavAudio& audio, std::size_t begin, std::size_t end) {
  const std::size_t margin = static_cast<std::size_t>(kRate / 4);
  if (end <= begin + 2 * margin || end > audio.frames()) return {};
  return {audio.samples.begin() + static_cast<long>(2 * (begin + margin)),
          audio.samples.begin() + static_cast<long>(2 * (end - margin))};
}

TEST(MusicAudioE2E, VolumeTempoAndSkipChangeTheSamplesPlayed) {
  QTemporaryDir out;
  const std::string wav = out.filePath("heard.wav").toStdString();
  QProcessEnvironment env;
  env.insert("SPINDECK_AUDIO", QString::fromStdString("wav:" + wav));
  Jukebox deck(env);
  ASSERT_TRUE(deck.started());
  ASSERT_TRUE(deck.MakeSong("long.mp3", {"--seconds", "3"}));
  ASSERT_TRUE(deck.MakeSong("steady.mp3", {"--seconds", "2", "--volume", "0.8"}));
  EXPECT_EQ(deck.Refresh(), Line("<b>01</b> dirs refeshed! <b>002</b> files"));

  // Full volume: the whole song.
  EXPECT_EQ(deck.Ask("mvol 100"), Line("ccom volume set to <b>100</b>%"));
  const std::size_t fullEnd =
      PlayToTheEnd(deck, wav, {{"p 2", Line("playing: <b>02</b>. steady")}});
  EXPECT_NEAR(static_cast<double>(fullEnd), 2 * kRate, 2 * kRate * 0.01);

  // Half on the chat's scale is 12.5 dB down.
  EXPECT_EQ(deck.Ask("mvol 50"), Line("ccom volume set to <b>50</b>%"));
  const std::size_t halfEnd =
      PlayToTheEnd(deck, wav, {{"p 2", Line("playing: <b>02</b>. steady")}});
  EXPECT_NEAR(static_cast<double>(halfEnd - fullEnd), 2 * kRate, 2 * kRate * 0.01);
  {
    const WavAudio audio = ReadWav(wav);
    const auto full = Middle(audio, 0, fullEnd);
    const auto half = Middle(audio, fullEnd, halfEnd);
    ASSERT_FALSE(full.empty());
    ASSERT_FALSE(half.empty());
    EXPECT_NEAR(20.0 * std::log10(Rms(full) / Rms(half)), 12.5, 0.2);
  }

  // 25 steps of 0.04 up: twice the speed, so the 2-second song lasts about a second.
  EXPECT_EQ(deck.Ask("mvol 100"), Line("ccom volume set to <b>100</b>%"));
  EXPECT_EQ(deck.Ask("itempo 25"), Line("tempo increased by <b>25</b>"));
  const std::size_t fastEnd =
      PlayToTheEnd(deck, wav, {{"p 2", Line("playing: <b>02</b>. steady")}});
  EXPECT_NEAR(static_cast<double>(fastEnd - halfEnd), kRate, kRate * 0.02);
  EXPECT_EQ(deck.Ask("tempo"), Line("tempo set to normal level"));

  // Skipping 1.5 s of a 3-second song leaves 1.5 s, plus at most the pieces already on their
  // way out.
  const std::size_t skipEnd =
      PlayToTheEnd(deck, wav,
                   {{"p 1", Line("playing: <b>01</b>. long")},
                    {"ff 1.5", Line("skipped forward <b>1.5</b> seconds")}});
  EXPECT_GE(skipEnd - fastEnd, static_cast<std::size_t>(1.5 * kRate) - 1152);
  EXPECT_LE(skipEnd - fastEnd, static_cast<std::size_t>(1.5 * kRate) + 4 * 1152);
}

TEST(MusicAudioE2E, ComputerVolumeAndPlaybackReachAPulseServer) {
  testing::PrivatePulseServer server;
  SPINDECK_START_PULSE_OR_SKIP(server);
  Jukebox deck(server.ProgramEnvironment());
  ASSERT_TRUE(deck.started());
  ASSERT_TRUE(deck.MakeSong("tone.mp3", {"--seconds", "2", "--volume", "0.5"}));
  EXPECT_EQ(deck.Refresh(), Line("<b>01</b> dirs refeshed! <b>001</b> files"));

  EXPECT_EQ(deck.Ask("cvol 70"), Line("computer volume set to <b>70</b>%"));
  const QString volume = server.DefaultSinkVolume();
  EXPECT_TRUE(volume.contains(" 70%")) << volume.toStdString();

  // Record the sink's monitor while the song plays.
  QTemporaryDir out;
  const QString recording = out.filePath("sink.wav");
  QProcess recorder;
  ASSERT_TRUE(server.StartRecordingMonitor(recorder, recording));
  QElapsedTimer recordingClock;
  recordingClock.start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.RecordedMs(recording) > 0; }, 10000));
  EXPECT_EQ(deck.Ask("shuffle zzz"), Line("shuffle mode: on"));
  EXPECT_EQ(deck.Ask("p 1"), Line("playing: <b>01</b>. tone"));
  EXPECT_EQ(deck.NextReply(30000), Line("no matches found for <u>zzz</u>"));
  // The sink's last moments reach the recording too.
  const qint64 played = recordingClock.elapsed() + 200;
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.RecordedMs(recording) >= played; }, 10000));
  ::kill(static_cast<pid_t>(recorder.processId()), SIGINT);
  ASSERT_TRUE(recorder.waitForFinished(5000));

  const WavAudio audio = ReadWav(recording.toStdString());
  ASSERT_TRUE(audio.valid);
  // The loudest tenth of a second: the tone, not silence.
  const std::size_t block = static_cast<std::size_t>(audio.rate / 10) * audio.channels;
  double loudest = 0;
  for (std::size_t at = 0; at + block <= audio.samples.size(); at += block) {
    loudest = std::max(loudest, Rms({audio.samples.begin() + static_cast<long>(at),
                                     audio.samples.begin() + static_cast<long>(at + block)}));
  }
  EXPECT_GT(loudest, 0.05);
}

}  // namespace
}  // namespace spindeck::e2e
